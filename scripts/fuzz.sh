#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, sanitizers) and runs each for a bounded time on a working
# copy of its seed corpus. Any finding (crash, sanitizer report, failed property, an input that
# runs longer than the per-input timeout or takes too much memory) fails the run and leaves the
# input in build/fuzz/runs/TARGET/findings/.
#   scripts/fuzz.sh [--seconds N] [--runs N] [--jobs N] [--update-seeds] [TARGET...]
# --seconds is the time per target; --runs ends a target's process sooner, after N inputs. With
# --jobs N, N fuzzing processes share the target's corpus for that time. The executed units
# printed per target are the sum over its processes.
# --update-seeds minimises the corpus of a run without findings into fuzz/seeds/TARGET/: the
# seeds there are kept, and corpus inputs are added where they reach something new.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
seconds=30
runs=-1  # no limit
jobs=1
per_input_timeout=20  # seconds; a slower input counts as a hang
update_seeds=0
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds="$2"; shift 2 ;;
    --runs) runs="$2"; shift 2 ;;
    --jobs) jobs="$2"; shift 2 ;;
    --update-seeds) update_seeds=1; shift ;;
    -h|--help) sed -n '2,11p' "$0"; exit 0 ;;
    *) targets+=("$1"); shift ;;
  esac
done
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_arguments fuzz_conversion fuzz_report fuzz_settings_store fuzz_tool_table_file fuzz_toolpath)

scripts/build.sh fuzz "${targets[@]}" >/dev/null

# Copies the seeds of a target: its own under fuzz/seeds/, and the shipped and test files.
source scripts/fuzz_seeds.sh
seed_corpus() {
  local target="$1" corpus="$2"
  mkdir -p "$corpus"
  seed_files "$target" | while IFS= read -r file; do cp "$file" "$corpus"/; done
  [ -n "$(ls -A "$corpus")" ] || printf 'G1X1\n' > "$corpus/seed"
}

# The longest input of a target. Deep states of the conversion need only a few lines, and each
# input is converted at least once, so the conversion and report inputs stay short to keep
# those targets fast.
max_len_of() {
  case "$1" in
    fuzz_conversion|fuzz_report) echo 2048 ;;
    fuzz_arguments) echo 512 ;;  # at most 16 arguments count
    *) echo 8192 ;;
  esac
}

# libFuzzer options naming the dictionary of a target, if it has one. The report target's inputs
# start like the conversion target's, so the same words serve both.
dictionary_of() {
  case "$1" in
    fuzz_conversion|fuzz_report) echo "-dict=$root/fuzz/fuzz_conversion.dict" ;;
    fuzz_arguments) echo "-dict=$root/fuzz/fuzz_arguments.dict" ;;
  esac
}

# Minimises the corpus of a run into fuzz/seeds/TARGET/. The seeds there and the shipped and
# test files go in first, so only corpus inputs that reach something new are added; the shipped
# and test files are taken out again, since every run copies them anyway.
update_seeds() {
  local target="$1" exe="$2" work="$3"
  local merged="$work/merged" shipped="$work/shipped"
  rm -rf "$merged" "$shipped" && mkdir -p "$merged"
  seed_corpus "$target" "$shipped"
  [ -d "fuzz/seeds/$target" ] && cp "fuzz/seeds/$target"/* "$merged"/
  for file in "$shipped"/*; do
    [ -e "$merged/$(basename "$file")" ] || cp "$file" "$merged/shipped-$(basename "$file")"
  done
  "$exe" -merge=1 -use_counters=0 -max_len="$(max_len_of "$target")" $(dictionary_of "$target") \
      "$merged" "$work/corpus" > "$work/merge.log" 2>&1
  rm -f "$merged"/shipped-*
  mkdir -p "fuzz/seeds/$target"
  cp -n "$merged"/* "fuzz/seeds/$target"/
  echo "fuzz: $target: $(ls "fuzz/seeds/$target" | wc -l) seeds in fuzz/seeds/$target"
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
  options=(-max_total_time="$seconds" -runs="$runs" -timeout="$per_input_timeout"
           -max_len="$(max_len_of "$target")" $(dictionary_of "$target")
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
  elapsed=$(( $(date +%s) - start ))
  echo "fuzz: $target: ${elapsed}s, $units executed units ($(( units / (elapsed > 0 ? elapsed : 1) ))/s)," \
       "$(ls "$work/corpus" | wc -l) corpus files"
  if [ "$status" -ne 0 ] || [ -n "$(ls -A "$work/findings")" ]; then
    tail -n 40 "${logs[@]}" >&2
    echo "fuzz: $target found a problem; see $work/findings" >&2
    exit 1
  fi
  [ "$update_seeds" -eq 0 ] || update_seeds "$target" "$exe" "$work"
done
echo "fuzz: no findings; $total_units executed units in all"
