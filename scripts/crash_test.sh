#!/usr/bin/env bash
# Kills quarnel-convert with SIGKILL at random moments while it converts a batch over a
# destination, a preview folder and a report that hold earlier files, and checks after each
# kill that nothing was lost:
#   - every output, preview and the report is either its earlier bytes or its complete new bytes;
#   - every source is unchanged;
#   - no other name appears in those folders but hidden temporaries ".NAME.XXXXXX" of the
#     files the run writes.
# Half the kills start from the earlier files again, the others from what the last kill left.
# Finally one run with -v must complete, write every new file, remove every temporary the
# killed runs left and name each one.
#   scripts/crash_test.sh [--kills N] [--exe PATH] [--seed N]
# Default: 500 kills with build/release/cli/quarnel-convert (built when missing).
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
kills=500
exe=""
seed=$$
while [ $# -gt 0 ]; do
  case "$1" in
    --kills) kills="$2"; shift 2 ;;
    --exe) exe="$2"; shift 2 ;;
    --seed) seed="$2"; shift 2 ;;
    -h|--help) sed -n '2,13p' "$0"; exit 0 ;;
    *) echo "crash_test: unknown argument $1" >&2; exit 2 ;;
  esac
done
if [ -z "$exe" ]; then
  scripts/build.sh release quarnel-convert >/dev/null
  exe="$root/build/release/cli/quarnel-convert"
fi
RANDOM=$seed
exe=$(realpath "$exe")

work=$(mktemp -d "${TMPDIR:-/tmp}/quarnel-crash-XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir src dest prev expected

# Sources of 3,000 to 12,000 lines, so that kills land in reading, translating and writing.
names=()
for i in $(seq 1 12); do
  name="part$i.nc"
  for _ in $(seq 1 $(( i % 4 + 1 ))); do cat "$root/examples/large_program.nc"; done > "src/$name"
  cat "$root/examples/drilling_panel.nc" >> "src/$name"
  names+=("$name")
done
cp "$root/examples/road.nc" "$root/examples/door_profile.nc" src/
names+=(road.nc door_profile.nc)
sources=()
for name in "${names[@]}"; do sources+=("src/$name"); done
command=("$exe" --dest dest --preview prev --report report.json --length 2800 --height 2070
         --thickness 18 --tools "$root/examples/road-tools.dat")

# Every file the run writes, and its earlier bytes.
targets=(report.json)
for name in "${names[@]}"; do targets+=("dest/$name" "prev/$name.svg"); done
put_earlier() {
  local target
  for target in "${targets[@]}"; do printf 'earlier %s\r\n' "$target" > "$target"; done
}

# The new bytes come from one whole run over the same paths (the report and the previews name
# them).
start=$(date +%s%N)
"${command[@]}" "${sources[@]}" 2>/dev/null
run_ms=$(( ($(date +%s%N) - start) / 1000000 ))
sha256sum "${targets[@]}" > expected/new.sha
put_earlier
sha256sum "${targets[@]}" > expected/earlier.sha
sha256sum "${sources[@]}" > expected/sources.sha
cat expected/new.sha expected/earlier.sha | awk '{print $1, $2}' | sort > expected/allowed

# What may stand in a folder: its targets and their temporaries.
allowed_entries() {
  local folder="$1" target
  for target in "${targets[@]}"; do
    [ "$(dirname "$target")" = "$folder" ] && basename "$target"
  done
  [ "$folder" = . ] && printf '%s\n' src dest prev expected
  [ "$folder" = src ] && printf '%s\n' "${names[@]}"
  return 0
}
folders=(. src dest prev)
for folder in "${folders[@]}"; do allowed_entries "$folder" > "expected/entries-${folder/./root}"; done
# Prints "T ENTRY" for each temporary of a target in folder, "X ENTRY" for anything unexpected.
sort_entries() {
  local folder="$1" x='[A-Za-z0-9]'
  ls -A "$folder" | awk -v list="expected/entries-${folder/./root}" -v suffix="\\.$x$x$x$x$x$x\$" '
    BEGIN { while ((getline line < list) > 0) allowed[line] = 1 }
    $0 in allowed { next }
    /^\./ && $0 ~ suffix && (substr($0, 2, length($0) - 8) in allowed) { print "T " $0; next }
    { print "X " $0 }'
}

files_checked=0
landed=0
declare -A temporaries=()
for kill in $(seq 1 "$kills"); do
  if [ $((RANDOM % 2)) -eq 0 ]; then put_earlier; fi
  delay_ms=$(( RANDOM % (run_ms + 20) ))
  "${command[@]}" "${sources[@]}" >/dev/null 2>&1 &
  pid=$!
  sleep "$(printf '%d.%03d' $((delay_ms / 1000)) $((delay_ms % 1000)))"
  kill -KILL "$pid" 2>/dev/null || true
  status=0
  { wait "$pid"; } 2>/dev/null || status=$?
  [ "$status" -eq 137 ] && landed=$((landed + 1))
  if [ "$status" -ne 137 ] && [ "$status" -ne 0 ]; then
    echo "crash_test: kill $kill: the run ended with status $status before the kill" >&2
    exit 1
  fi
  if ! sha256sum --quiet -c expected/sources.sha; then
    echo "crash_test: kill $kill: a source changed" >&2
    exit 1
  fi
  sha256sum "${targets[@]}" | awk '{print $1, $2}' | sort > current
  if ! bad=$(comm -23 current expected/allowed) || [ -n "$bad" ]; then
    echo "crash_test: kill $kill after ${delay_ms} ms: neither earlier nor new bytes: $bad" >&2
    exit 1
  fi
  rm current
  for folder in "${folders[@]}"; do
    while read -r kind entry; do
      if [ "$kind" = X ]; then
        echo "crash_test: kill $kill: unexpected entry $folder/$entry" >&2
        exit 1
      fi
      temporaries["$folder/$entry"]=1
    done < <(sort_entries "$folder")
  done
  files_checked=$((files_checked + ${#targets[@]} + ${#sources[@]}))
done

# A run to the end removes what the killed runs left, and says so.
left=$(find . dest prev -maxdepth 1 -name '.*.??????' -type f | wc -l)
"${command[@]}" -v "${sources[@]}" 2> final.err || { cat final.err >&2; exit 1; }
removed=$(grep -c ', left by a run that was stopped$' final.err || true)
rm final.err
if ! sha256sum --quiet -c expected/new.sha || [ "$removed" -ne "$left" ] ||
   [ -n "$(find . dest prev -maxdepth 1 -name '.*.??????')" ]; then
  echo "crash_test: the last run did not write every file or remove every temporary" \
       "($left left, $removed removed)" >&2
  exit 1
fi
echo "crash_test: $kills kills ($landed during the run of ${run_ms} ms, seed $seed)," \
     "$files_checked files checked, nothing lost; ${#temporaries[@]} temporaries left by kills," \
     "$removed of them still there at the end, all removed by the next run"
