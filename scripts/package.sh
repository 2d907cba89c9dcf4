#!/usr/bin/env bash
# Builds the release preset and makes the Debian package build/package/quarnel_<version>_amd64.deb
# from its install rules: binaries, menu entry, icons, AppStream data, man pages, completion, docs.
# Install it with: apt install ./build/package/quarnel_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh release
rm -rf build/package
mkdir -p build/package
cpack -G DEB --config build/release/CPackConfig.cmake -B build/package >/dev/null
rm -rf build/package/_CPack_Packages
ls build/package/quarnel_*.deb
