#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: the release build with the window
# (window tests offscreen), its Debian package, and the core and command line under the sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
export QT_QPA_PLATFORM=offscreen

echo "== release build and tests"
scripts/build.sh release
ctest --test-dir build/release --output-on-failure -j2 --timeout 300

echo "== Debian package from the release build, checked with Debian's tools and run as installed"
scripts/package.sh
scripts/check_package.sh

echo "== sanitizer build (AddressSanitizer, UndefinedBehaviorSanitizer) and tests"
scripts/build.sh asan
ctest --test-dir build/asan --output-on-failure -j2 --timeout 600

echo "== thread sanitizer build (core and command line) and the tests of batches on several threads"
scripts/build.sh tsan parallel_batch_test conversion_batch_test
ctest --test-dir build/tsan --output-on-failure -j2 --timeout 600 -R '^(ParallelBatch|ConversionDriver)\.'

if [ -x scripts/fuzz.sh ]; then
  echo "== fuzzing, briefly"
  scripts/fuzz.sh --seconds "${QUARNEL_FUZZ_SECONDS:-20}"
fi
