#!/usr/bin/env bash
# Converts the same sources with two builds of quarnel-convert and compares the results: every
# output file byte for byte, the list of files written, the messages and the exit status.
#
#   bench/compare_converters.sh REFERENCE CANDIDATE [OPTION...] -- SOURCE...
#
# REFERENCE and CANDIDATE are converters, each with options of its own if wanted, split at
# blanks ("build/bench/cli/quarnel-convert --jobs 8"). OPTIONs are passed to both (--length,
# --height, --thickness, --tools); each writes to a fresh folder of its own. In an OPTION, {side}
# stands for a second fresh folder, whose files are compared too ("--report {side}/report.json
# --preview {side}"). Exits 0 when everything is the same, 1 otherwise.
set -uo pipefail

usage() {
  sed -n '2,10p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'
  exit "$1"
}

if [ $# -ge 1 ] && { [ "$1" = "-h" ] || [ "$1" = "--help" ]; }; then usage 0; fi
[ $# -ge 4 ] || usage 2 >&2
reference="$1"
candidate="$2"
shift 2
options=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
  options+=("$1")
  shift
done
[ $# -ge 2 ] || usage 2 >&2
shift
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Runs build $2 as "$1": messages (destination written as DEST, {side} as SIDE) and status.
# Both converters write to the same folders, $work/dest and $work/side, so that paths in their
# side files are the same; the folders are then moved to $work/$1 and $work/$1.side.
convert() {
  local name="$1" program own=() option
  read -r -a program <<<"$2"
  shift 2
  mkdir "$work/dest" "$work/side"
  for option in "${options[@]}"; do own+=("${option//\{side\}/$work/side}"); done
  "${program[@]}" --dest "$work/dest" "${own[@]}" "$@" 2>&1 >/dev/null |
    sed "s|$work/dest|DEST|g; s|$work/side|SIDE|g" >"$work/$name.messages"
  echo "${PIPESTATUS[0]}" >"$work/$name.status"
  mv "$work/dest" "$work/$name"
  mv "$work/side" "$work/$name.side"
}

convert reference "$reference" "$@"
convert candidate "$candidate" "$@"
differences=0
for record in messages status; do
  if ! cmp -s "$work/reference.$record" "$work/candidate.$record"; then
    echo "the $record differ:"
    diff "$work/reference.$record" "$work/candidate.$record" | head -10
    differences=$((differences + 1))
  fi
done
compared=0
for folder in "" .side; do
  if ! diff <(cd "$work/reference$folder" && ls -A) <(cd "$work/candidate$folder" && ls -A) \
      >/dev/null; then
    echo "the files written in ${folder:-the destination} differ"
    differences=$((differences + 1))
  fi
  for file in "$work/reference$folder"/* "$work/reference$folder"/.[!.]*; do
    [ -f "$file" ] || continue
    name="$(basename "$file")"
    compared=$((compared + 1))
    if ! cmp -s "$file" "$work/candidate$folder/$name"; then
      echo "differs: $name"
      differences=$((differences + 1))
    fi
  done
done
echo "$compared files compared, exit status $(cat "$work/reference.status"); $differences difference(s)"
[ "$differences" -eq 0 ]
