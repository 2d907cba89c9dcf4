#!/usr/bin/env bash
# Times quarnel-convert against a program that does only the same file input and output.
#
#   bench/run_benchmark.sh [--files N] [--lines N] [--runs N] [--seed N] [--corpus DIR]
#                          [--build-dir DIR] [--no-build] [--jobs N] [--report]
#
# Builds the "bench" preset (unless --no-build), generates a corpus of router programs (cached,
# regenerated when missing or made by another generator), then runs the I/O baseline and
# quarnel-convert alternately, each on the whole corpus as one batch, and prints medians.
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

usage() {
  sed -n '2,9p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'
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
build="$(mkdir -p "$build" && cd "$build" && pwd)"
[ -n "$corpus" ] || corpus="$build/corpus/seed$seed-${files}x$lines"
work="$build/run"
bin="$build/bench"
convert="$build/cli/quarnel-convert"

build_tools() {
  if [ "$build" = "$root/build/bench" ]; then
    (cd "$root" && cmake --preset bench >/dev/null)
  else
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUARNEL_BUILD_UI=OFF \
      -DQUARNEL_BUILD_TESTS=OFF -DQUARNEL_BUILD_BENCH=ON >/dev/null
  fi
  cmake --build "$build" -j2 --target quarnel-convert io_baseline corpus_generator measure_run
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
run_convert() {
  local record="$1"
  shift
  measure "$record" "$convert" --dest "$work/out-convert" --length 600 --height 400 \
    --thickness 18 --tools "$work/tools.dat" "${jobs[@]}" "${report[@]}" "$@"
}

# Column $1 of the records ${@:2}, one value a line; "cpu" is user plus system time.
values() { awk -v c="$1" '{ print (c == "cpu") ? $2 + $3 : $c }' "${@:2}"; }
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
largest() { sort -g | tail -1; }
smallest() { sort -g | head -1; }

[ "$build_first" -eq 1 ] && build_tools
for tool in "$bin/corpus_generator" "$bin/io_baseline" "$bin/measure_run" "$convert"; do
  [ -x "$tool" ] || { echo "run_benchmark: $tool is missing; run without --no-build" >&2; exit 1; }
done
mkdir -p "$work"
[ ${#report[@]} -eq 0 ] || report=(--report "$work/report.json")
rm -rf "$work/out-baseline" "$work/out-convert" "$work/out-one" "$work"/*.rec
mkdir -p "$work/out-baseline" "$work/out-convert" "$work/out-one"
ensure_corpus
write_tool_table
sources=("$corpus"/*.nc)
bytes=$(cat "${sources[@]}" | wc -c)
total_lines=$((files * lines))

# One untimed round first: the corpus is in the page cache and every output exists, so each
# timed run replaces existing files, as a shop's repeated batch does.
run_baseline "$work/warm-baseline.rec"
run_convert "$work/warm-convert.rec" "${sources[@]}"
for ((i = 1; i <= runs; i++)); do
  run_baseline "$work/baseline-$(printf %02d "$i").rec"
  run_convert "$work/convert-$(printf %02d "$i").rec" "${sources[@]}"
done
measure "$work/one-file.rec" "$convert" --dest "$work/out-one" --length 600 --height 400 \
  --thickness 18 --tools "$work/tools.dat" "${jobs[@]}" "${report[@]}" "${sources[0]}"

base_wall=$(values 1 "$work"/baseline-*.rec | median)
conv_wall=$(values 1 "$work"/convert-*.rec | median)
base_best=$(values 1 "$work"/baseline-*.rec | smallest)
conv_best=$(values 1 "$work"/convert-*.rec | smallest)
base_cpu=$(values cpu "$work"/baseline-*.rec | median)
conv_cpu=$(values cpu "$work"/convert-*.rec | median)
base_rss=$(values 4 "$work"/baseline-*.rec | largest)
conv_rss=$(values 4 "$work"/convert-*.rec | largest)
one_rss=$(values 4 "$work/one-file.rec" | largest)

# MB are 10^6 bytes; peak resident memory comes in KiB. Throughput is of the median wall time.
# The best run is shown beside the median: on a shared machine, other processes' disk writes
# can make a single fsync take far longer than the work measured.
awk -v files="$files" -v lines="$lines" -v bytes="$bytes" -v total="$total_lines" -v runs="$runs" \
  -v bw="$base_wall" -v bb="$base_best" -v bc="$base_cpu" -v br="$base_rss" \
  -v cw="$conv_wall" -v cb="$conv_best" -v cc="$conv_cpu" -v cr="$conv_rss" -v orss="$one_rss" '
  function row(name, wall, best, cpu, rss) {
    printf "%-16s %7.3f %7.3f %7.3f %8.1f %9.2f %8.1f\n", name, wall, best, cpu, bytes / 1e6 / wall, total / 1e6 / wall, rss * 1024 / 1e6
  }
  BEGIN {
    printf "corpus: %d files x %d lines, %.1f MB, %d lines; %d alternating runs of each\n", files, lines, bytes / 1e6, total, runs
    printf "%-16s %7s %7s %7s %8s %9s %8s\n", "", "wall s", "best s", "cpu s", "MB/s", "Mlines/s", "peak MB"
    row("io_baseline", bw, bb, bc, br)
    row("quarnel-convert", cw, cb, cc, cr)
    printf "(wall and cpu: medians; best: the fastest run)\n"
    printf "convert/baseline: %.2f x wall time, %.2f x best (target: at most 2)\n", cw / bw, cb / bb
    printf "quarnel-convert peak RSS: %.1f MB for %d files, %.1f MB for 1 file (target: under 32 MB, not growing with the batch)\n", cr * 1024 / 1e6, files, orss * 1024 / 1e6
  }'
echo "wall s, run by run: io_baseline $(values 1 "$work"/baseline-*.rec | xargs printf '%.3f ')"
echo "                quarnel-convert $(values 1 "$work"/convert-*.rec | xargs printf '%.3f ')"
