#!/usr/bin/env bash
# Configures and builds one CMake preset (default: release) with Ninja; extra arguments name targets.
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-release}"
shift || true
cmake --preset "$preset" >/dev/null
cmake --build "build/$preset" ${1:+--target "$@"}
