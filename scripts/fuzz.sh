#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, sanitizers) and runs each for a bounded time on a working
# copy of its seed corpus. Any finding fails the run and leaves the crashing input in build/fuzz/.
#   scripts/fuzz.sh [--seconds N] [--jobs N] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=30
jobs=1
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds="$2"; shift 2 ;;
    --jobs) jobs="$2"; shift 2 ;;
    *) targets+=("$1"); shift ;;
  esac
done
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_conversion fuzz_settings_store fuzz_tool_table_file)

scripts/build.sh fuzz "${targets[@]}" >/dev/null

seed_corpus() {
  local target="$1" corpus="$2"
  mkdir -p "$corpus"
  case "$target" in
    fuzz_conversion) cp examples/*.nc "$corpus"/ 2>/dev/null || true
                     find tests/data -name '*.nc' -exec cp {} "$corpus"/ \; ;;
    fuzz_settings_store) find tests/data -iname '*.ini' -exec cp {} "$corpus"/ \; ;;
    fuzz_tool_table_file) cp examples/*.dat "$corpus"/ 2>/dev/null || true
                          find tests/data -iname '*.dat' -exec cp {} "$corpus"/ \; ;;
  esac
  [ -n "$(ls -A "$corpus")" ] || printf 'G1X1\n' > "$corpus/seed"
}

for target in "${targets[@]}"; do
  work="build/fuzz/work/$target"
  rm -rf "$work" && mkdir -p "$work/corpus" "$work/findings"
  seed_corpus "$target" "$work/corpus"
  echo "fuzz: $target for ${seconds}s with $jobs job(s)"
  status=0
  if [ "$jobs" -gt 1 ]; then
    (cd "$work" && "../../$target" -max_total_time="$seconds" -jobs="$jobs" -workers="$jobs" \
        -artifact_prefix=findings/ -print_final_stats=1 corpus >/dev/null 2>&1) || status=$?
    cat "$work"/fuzz-*.log > "$work/log" 2>/dev/null || true
  else
    "build/fuzz/$target" -max_total_time="$seconds" -artifact_prefix="$work/findings/" \
        -print_final_stats=1 "$work/corpus" > "$work/log" 2>&1 || status=$?
  fi
  grep -E '^(stat::number_of_executed_units|Done|SUMMARY)' "$work/log" || true
  if [ "$status" -ne 0 ] || [ -n "$(ls -A "$work/findings")" ]; then
    tail -n 40 "$work/log" >&2
    echo "fuzz: $target found a problem; see $work/findings" >&2
    exit 1
  fi
done
echo "fuzz: no findings"
