#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, sanitizers) and runs each for a bounded time on a working
# copy of its seed corpus. Any finding (crash, sanitizer report, failed property, an input that
# runs longer than the per-input timeout or takes too much memory) fails the run and leaves the
# input in build/fuzz/runs/TARGET/findings/.
#   scripts/fuzz.sh [--seconds N] [--jobs N] [TARGET...]
# --seconds is the time per target; with --jobs N, N fuzzing processes share the target's corpus
# for that time. The executed units printed per target are the sum over its processes.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
seconds=30
jobs=1
per_input_timeout=20  # seconds; a slower input counts as a hang
max_len=8192          # bytes of one input; the seeds are smaller
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds="$2"; shift 2 ;;
    --jobs) jobs="$2"; shift 2 ;;
    -h|--help) sed -n '2,9p' "$0"; exit 0 ;;
    *) targets+=("$1"); shift ;;
  esac
done
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_conversion fuzz_report fuzz_settings_store fuzz_tool_table_file fuzz_toolpath)

scripts/build.sh fuzz "${targets[@]}" >/dev/null

# Copies the seeds of a target: its own under fuzz/seeds/, and the shipped and test files.
seed_corpus() {
  local target="$1" corpus="$2"
  mkdir -p "$corpus"
  [ -d "fuzz/seeds/$target" ] && cp "fuzz/seeds/$target"/* "$corpus"/
  case "$target" in
    fuzz_conversion|fuzz_report) cp examples/*.nc "$corpus"/
                     find tests/data -name '*.nc' -size -8k -exec cp {} "$corpus"/ \; ;;
    fuzz_settings_store) find tests/data -iname '*.ini' -exec cp {} "$corpus"/ \; ;;
    fuzz_tool_table_file) cp examples/*.dat "$corpus"/
                          find tests/data -iname '*.dat' -exec cp {} "$corpus"/ \; ;;
  esac
  [ -n "$(ls -A "$corpus")" ] || printf 'G1X1\n' > "$corpus/seed"
}

# Sum of a libFuzzer statistic over the logs given.
sum_stat() {
  local name="$1"; shift
  cat "$@" 2>/dev/null | awk -v name="stat::$name:" '$1 == name { sum += $2 } END { print sum + 0 }'
}

total_units=0
for target in "${targets[@]}"; do
  exe="$root/build/fuzz/fuzz/$target"
  work="$root/build/fuzz/runs/$target"
  rm -rf "$work" && mkdir -p "$work/corpus" "$work/findings"
  seed_corpus "$target" "$work/corpus"
  echo "fuzz: $target for ${seconds}s with $jobs process(es)"
  options=(-max_total_time="$seconds" -timeout="$per_input_timeout" -max_len="$max_len"
           -artifact_prefix="$work/findings/" -print_final_stats=1)
  status=0
  start=$(date +%s)
  if [ "$jobs" -gt 1 ]; then
    (cd "$work" && "$exe" "${options[@]}" -jobs="$jobs" -workers="$jobs" corpus \
        >/dev/null 2>&1) || status=$?
    logs=("$work"/fuzz-*.log)
  else
    "$exe" "${options[@]}" "$work/corpus" > "$work/fuzz-0.log" 2>&1 || status=$?
    logs=("$work/fuzz-0.log")
  fi
  units=$(sum_stat number_of_executed_units "${logs[@]}")
  total_units=$((total_units + units))
  echo "fuzz: $target: $((  $(date +%s) - start ))s, $units executed units," \
       "$(ls "$work/corpus" | wc -l) corpus files"
  if [ "$status" -ne 0 ] || [ -n "$(ls -A "$work/findings")" ]; then
    tail -n 40 "${logs[@]}" >&2
    echo "fuzz: $target found a problem; see $work/findings" >&2
    exit 1
  fi
done
echo "fuzz: no findings; $total_units executed units in all"
