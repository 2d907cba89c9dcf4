#!/usr/bin/env bash
# Replays the fuzz corpora through the fuzz targets built with clang's source-based coverage
# (in build/coverage, without sanitizers), and prints the line coverage of engine/ that they
# reach. The corpora are the seeds that scripts/fuzz.sh starts from: fuzz/seeds/TARGET/, and the
# shipped and test programs for the conversion and report targets.
#   scripts/fuzz_coverage.sh [--show FILE...] [TARGET...]
# --show prints the given engine files line by line with their counts ("0" marks a line no
# input reached). Needs llvm-cov and llvm-profdata from clang 14 (apt-get install llvm-14).
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/coverage
show=()
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --show) shift; while [ $# -gt 0 ] && [ "${1#engine/}" != "$1" ]; do show+=("$1"); shift; done ;;
    -h|--help) sed -n '2,8p' "$0"; exit 0 ;;
    *) targets+=("$1"); shift ;;
  esac
done
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_conversion fuzz_report fuzz_toolpath)
for tool in llvm-cov-14 llvm-profdata-14; do
  command -v "$tool" >/dev/null || { echo "fuzz_coverage: $tool is missing: apt-get install llvm-14" >&2; exit 2; }
done

flags="-fprofile-instr-generate -fcoverage-mapping"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" -DQUARNEL_BUILD_UI=OFF \
    -DQUARNEL_BUILD_TESTS=OFF -DQUARNEL_BUILD_FUZZ=ON -DQUARNEL_SANITIZE=OFF >/dev/null
cmake --build "$build" --target "${targets[@]}" >/dev/null

source scripts/fuzz_seeds.sh  # seed_files TARGET: the inputs a target's runs start from

profiles="$build/profiles"
rm -rf "$profiles" && mkdir -p "$profiles"
objects=()
for target in "${targets[@]}"; do
  exe="$build/fuzz/$target"
  mapfile -t inputs < <(seed_files "$target")
  echo "fuzz_coverage: $target replays ${#inputs[@]} inputs" >&2
  LLVM_PROFILE_FILE="$profiles/$target.profraw" "$exe" "${inputs[@]}" >"$profiles/$target.log" 2>&1
  objects+=(-object "$exe")
done
llvm-profdata-14 merge -sparse "$profiles"/*.profraw -o "$profiles/merged.profdata"

# The targets share function names (LLVMFuzzerTestOneInput), whose counts llvm-cov then reports
# as mismatched; the engine libraries are the same in every target.
cover() { llvm-cov-14 "$@" 2> >(grep -v "functions have mismatched data" >&2); }
sources=(engine/*/*.cpp)
cover report "${objects[@]:1}" -instr-profile "$profiles/merged.profdata" "${sources[@]}" |
    awk 'BEGIN { print "file", "lines", "missed", "covered" }
         $1 ~ /\.cpp$/ || $1 == "TOTAL" { print $1, $8, $9, $10 }' | column -t
if [ ${#show[@]} -gt 0 ]; then
  cover show "${objects[@]:1}" -instr-profile "$profiles/merged.profdata" "${show[@]}"
fi
