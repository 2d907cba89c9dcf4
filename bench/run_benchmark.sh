#!/usr/bin/env bash
# Times quarnel-convert against a program that does only the same file input and output.
#
#   bench/run_benchmark.sh [--files N] [--lines N] [--runs N] [--seed N] [--corpus DIR]
#                          [--build-dir DIR] [--no-build] [--jobs N] [--report] [--all]
#                          [--reference CONVERTER] [--window]
#
# Builds the "bench" preset (unless --no-build), generates a corpus of router programs (cached,
# regenerated when missing or made by another generator), then runs the I/O baseline and
# quarnel-convert alternately, each on the whole corpus as one batch, and prints medians.
# --all measures four conversions in every round: the plain one, --jobs 1, --report FILE and
# --preview DIR. --reference runs each conversion with another converter too (a build from
# before a change), so that both are measured side by side.
# --window measures the window's Process too (window_batch_benchmark, offscreen, on the corpus
# folder) beside quarnel-convert and quarnel-convert --report FILE, and prints the ratios; it
# builds the "bench-window" preset (the same with the window) in build/bench-window.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
files=200
lines=30000
runs=5
seed=1
corpus=""
build="$root/build/bench"
build_first=1
jobs=()  # quarnel-convert's own default unless --jobs is given
report=()  # --report: every run of quarnel-convert also writes the JSON report
all=0
reference=""
window=0

usage() {
  sed -n '2,16p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'
  exit "$1"
}

while [ $# -gt 0 ]; do
  case "$1" in
    --files) files="$2"; shift 2 ;;
    --lines) lines="$2"; shift 2 ;;
    --runs) runs="$2"; shift 2 ;;
    --seed) seed="$2"; shift 2 ;;
    --corpus) corpus="$2"; shift 2 ;;
    --build-dir) build="$2"; shift 2 ;;
    --no-build) build_first=0; shift ;;
    --jobs) jobs=(--jobs "$2"); shift 2 ;;
    --report) report=(--report); shift ;;
    --all) all=1; shift ;;
    --reference) reference="$2"; shift 2 ;;
    --window) window=1; shift ;;
    -h|--help) usage 0 ;;
    *) echo "run_benchmark: unknown option $1" >&2; usage 2 >&2 ;;
  esac
done
for number in "$files" "$lines" "$runs" "$seed"; do
  if ! [[ "$number" =~ ^[0-9]+$ ]] || [ "$number" -eq 0 ]; then
    echo "run_benchmark: not a positive number: $number" >&2
    exit 2
  fi
done
if [ "$window" -eq 1 ] && [ ${#jobs[@]} -ne 0 ]; then
  echo "run_benchmark: --window compares both at their default jobs (one a core); leave out --jobs" >&2
  exit 2
fi
[ "$window" -eq 0 ] || [ "$build" != "$root/build/bench" ] || build="$root/build/bench-window"
build="$(mkdir -p "$build" && cd "$build" && pwd)"
[ -n "$corpus" ] || corpus="$build/corpus/seed$seed-${files}x$lines"
work="$build/run"
bin="$build/bench"
convert="$build/cli/quarnel-convert"
window_bench="$build/ui/bench/window_batch_benchmark"

build_tools() {
  local ui=OFF targets=(quarnel-convert io_baseline corpus_generator measure_run)
  [ "$window" -eq 0 ] || { ui=ON; targets+=(window_batch_benchmark); }
  if [ "$build" = "$root/build/bench" ]; then
    (cd "$root" && cmake --preset bench >/dev/null)
  elif [ "$build" = "$root/build/bench-window" ]; then
    (cd "$root" && cmake --preset bench-window >/dev/null)
  else
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUARNEL_BUILD_UI=$ui \
      -DQUARNEL_BUILD_TESTS=OFF -DQUARNEL_BUILD_BENCH=ON >/dev/null
  fi
  cmake --build "$build" -j2 --target "${targets[@]}"
}

# The corpus is kept while its parameters and the generator's sources are unchanged.
ensure_corpus() {
  local stamp
  stamp="seed=$seed files=$files lines=$lines $(cat "$root/bench/router_program.h" "$root/bench/corpus_generator.cpp" | sha256sum | cut -c1-16)"
  if [ -f "$corpus/.stamp" ] && [ "$(cat "$corpus/.stamp")" = "$stamp" ]; then return; fi
  # Only a folder this script made (it has a stamp) or an empty one is ever cleared.
  if [ -d "$corpus" ] && [ ! -f "$corpus/.stamp" ] && [ -n "$(ls -A "$corpus")" ]; then
    echo "run_benchmark: $corpus holds files that the generator did not write; choose another --corpus" >&2
    exit 2
  fi
  echo "generating the corpus in $corpus"
  rm -rf "$corpus"
  "$bin/corpus_generator" --seed "$seed" --files "$files" --lines "$lines" --out "$corpus"
  echo "$stamp" >"$corpus/.stamp"
}

# A small substitution table, so that tool calls go through real lookups.
write_tool_table() {
  printf 'QUARNEL-TOOLTABLE 1\n1\t101\n2\t102\n3\t103\n81\t205\n55\t150\n\t\n\t\n\t\n' >"$work/tools.dat"
}

# Runs one measured command; its figures ("wall user sys maxrss status") go to the file $1.
measure() {
  local record="$1"
  shift
  if ! "$bin/measure_run" "$record" "$@" 2>"$work/stderr"; then
    echo "run_benchmark: $(basename "$2") failed:" >&2
    head -5 "$work/stderr" >&2
    exit 1
  fi
}

run_baseline() { measure "$1" "$bin/io_baseline" --dest "$work/out-baseline" "${sources[@]}"; }
# The window's Process on the corpus folder: every file of it selected, which are the sources.
run_window() {
  if ! "$window_bench" --record "$1" --sources "$corpus" --dest "$work/out-window" --length 600 \
    --height 400 --thickness 18 --tools "$work/tools.dat" >/dev/null 2>"$work/stderr-window"; then
    echo "run_benchmark: the window's batch failed:" >&2
    head -5 "$work/stderr-window" >&2
    exit 1
  fi
}
# Runs conversion number $2 (of the arrays below) into the record $1, on the sources after.
run_convert() {
  local record="$1" k="$2" extra
  shift 2
  read -r -a extra <<<"${variant_args[$k]}"
  measure "$record" ${variant_program[$k]} --dest "$work/out-convert" --length 600 --height 400 \
    --thickness 18 --tools "$work/tools.dat" "${extra[@]}" "$@"
}

# Column $1 of the records ${@:2}, one value a line; "cpu" is user plus system time.
values() { awk -v c="$1" '{ print (c == "cpu") ? $2 + $3 : $c }' "${@:2}"; }
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
largest() { sort -g | tail -1; }
smallest() { sort -g | head -1; }

[ "$build_first" -eq 1 ] && build_tools
tools=("$bin/corpus_generator" "$bin/io_baseline" "$bin/measure_run" "$convert")
[ "$window" -eq 0 ] || tools+=("$window_bench")
for tool in "${tools[@]}"; do
  [ -x "$tool" ] || { echo "run_benchmark: $tool is missing; run without --no-build" >&2; exit 1; }
done
mkdir -p "$work"
[ ${#report[@]} -eq 0 ] || report=(--report "$work/report.json")
rm -rf "$work/out-baseline" "$work/out-convert" "$work/out-one" "$work/out-window" "$work"/*.rec
mkdir -p "$work/out-baseline" "$work/out-convert" "$work/out-one" "$work/out-window"
ensure_corpus
write_tool_table
sources=("$corpus"/*.nc)
bytes=$(cat "${sources[@]}" | wc -c)
total_lines=$((files * lines))

# The conversions measured: a name, the converter and its options.
variant_name=() variant_program=() variant_args=()
add_variant() {
  variant_name+=("$1")
  variant_program+=("$2")
  variant_args+=("$3")
}
add_variants() {
  local suffix="$1" program="$2"
  if [ "$all" -eq 1 ]; then
    add_variant "plain$suffix" "$program" "${jobs[*]}"
    add_variant "jobs 1$suffix" "$program" "--jobs 1"
    add_variant "report$suffix" "$program" "${jobs[*]} --report $work/report.json"
    add_variant "preview$suffix" "$program" "${jobs[*]} --preview $work/preview"
  elif [ "$window" -eq 1 ]; then
    add_variant "quarnel-convert$suffix" "$program" ""
    add_variant "report$suffix" "$program" "--report $work/report.json"
  else
    add_variant "quarnel-convert$suffix" "$program" "${jobs[*]} ${report[*]}"
  fi
}
add_variants "" "$convert"
[ -z "$reference" ] || add_variants " (ref)" "$reference"
rm -rf "$work/preview" && mkdir -p "$work/preview"

# One untimed round first: the corpus is in the page cache and every output exists, so each
# timed run replaces existing files, as a shop's repeated batch does.
run_baseline "$work/warm-baseline.rec"
for k in "${!variant_name[@]}"; do run_convert "$work/warm-$k.rec" "$k" "${sources[@]}"; done
[ "$window" -eq 0 ] || run_window "$work/warm-window.rec"
for ((i = 1; i <= runs; i++)); do
  run_baseline "$work/baseline-$(printf %02d "$i").rec"
  for k in "${!variant_name[@]}"; do
    run_convert "$work/convert$k-$(printf %02d "$i").rec" "$k" "${sources[@]}"
  done
  [ "$window" -eq 0 ] || run_window "$work/window-$(printf %02d "$i").rec"
done
run_convert "$work/one-file.rec" 0 "${sources[0]}"

# Prints the row of the records $2...: name $1, median and best wall time, median CPU time,
# throughput, peak memory; then its ratios to the baseline and to the first conversion.
row() {
  local name="$1" wall best cpu rss
  shift
  wall=$(values 1 "$@" | median)
  best=$(values 1 "$@" | smallest)
  cpu=$(values cpu "$@" | median)
  rss=$(values 4 "$@" | largest)
  awk -v name="$name" -v w="$wall" -v b="$best" -v c="$cpu" -v r="$rss" -v bytes="$bytes" \
    -v total="$total_lines" -v bw="${base_wall:-$wall}" -v pw="${first_wall:-$wall}" 'BEGIN {
    printf "%-22s %7.3f %7.3f %7.3f %8.1f %9.2f %8.1f %8.2f %8.2f\n", name, w, b, c, bytes / 1e6 / w,
      total / 1e6 / w, r * 1024 / 1e6, w / bw, w / pw
  }'
}

base_wall=$(values 1 "$work"/baseline-*.rec | median)
first_wall=$(values 1 "$work"/convert0-*.rec | median)
printf 'corpus: %d files x %d lines, %.1f MB, %d lines; %d alternating runs of each\n' "$files" \
  "$lines" "$(awk -v b="$bytes" 'BEGIN { print b / 1e6 }')" "$total_lines" "$runs"
printf '%-22s %7s %7s %7s %8s %9s %8s %8s %8s\n' "" "wall s" "best s" "cpu s" "MB/s" "Mlines/s" \
  "peak MB" "/base" "/first"
row io_baseline "$work"/baseline-*.rec
for k in "${!variant_name[@]}"; do row "${variant_name[$k]}" "$work"/convert"$k"-*.rec; done
[ "$window" -eq 0 ] || row "window Process" "$work"/window-*.rec
echo "(wall and cpu: medians; best: the fastest run; /base and /first: median wall time against"
echo " the baseline's and the first conversion's; target for the plain batch: at most 2 x base)"
awk -v one="$(values 4 "$work/one-file.rec")" -v name="${variant_name[0]}" \
  'BEGIN { printf "%s peak RSS for 1 file: %.1f MB (target: under 32 MB, not growing with the batch)\n", name, one * 1024 / 1e6 }'
echo "wall s, run by run: io_baseline $(values 1 "$work"/baseline-*.rec | xargs printf '%.3f ')"
for k in "${!variant_name[@]}"; do
  printf '%40s %s\n' "${variant_name[$k]}" "$(values 1 "$work"/convert"$k"-*.rec | xargs printf '%.3f ')"
done
[ "$window" -eq 0 ] || printf '%40s %s\n' "window Process" "$(values 1 "$work"/window-*.rec | xargs printf '%.3f ')"

# The window checks every output's toolpath for its verdicts, as --report does: that is the pair
# the 1.2 x target means. The window's CPU time counts from the press of Process; its peak
# memory is its process's, the window's own included.
if [ "$window" -eq 1 ]; then
  for k in "${!variant_name[@]}"; do
    if [[ "${variant_name[$k]}" == report* ]]; then
      report_wall=$(values 1 "$work"/convert"$k"-*.rec | median)
      break
    fi
  done
  awk -v w="$(values 1 "$work"/window-*.rec | median)" -v r="$report_wall" -v p="$first_wall" 'BEGIN {
    printf "window Process / quarnel-convert --report: %.2f (target: at most 1.2); / plain: %.2f\n", w / r, w / p
  }'
fi
