#!/usr/bin/env bash
# Mutation testing of the C++ sources: plants one fault at a time in each named file (a comparison
# or logical operator swapped, a "+ 1" or "- 1" dropped, true and false exchanged, a "!" dropped,
# a call statement removed, a boolean return negated), rebuilds, runs the tests, and shows the
# faults no test noticed. Each file is restored from a backup copy after every mutant and on any
# exit (errors and Ctrl-C included), then checked to be byte-identical to the backup.
#
# Usage: scripts/mutate.sh [OPTIONS] FILE...
#   --build-dir DIR    build tree (default build/mutate: Release, no window; configured here)
#   --tests REGEX      run the tests matching REGEX (ctest -R) instead of the core suite (-L core)
#   --timeout SECONDS  limit on one mutant's test run (default 120); running over counts as killed
#   --max N            at most N mutants per file, picked evenly through the file
#   --lines A-B        only mutate lines A to B of each file (--lines A: line A only)
#   --jobs N           tests run at once (ctest -j, default 2)
#   --list             print the mutants and stop
# Comments, preprocessor lines, static_assert and the insides of string and character literals
# are left alone; "<" and ">" are mutated only with a space on both sides (no template brackets).
# Exit status: 0 when the run completed, whatever the score; 1 when the setup failed (a bad
# option, a missing file, the unmutated build or tests failing, a file that could not be restored).
set -euo pipefail

die() { echo "mutate: $*" >&2; exit 1; }
usage() { sed -n '2,/^set -e/{/^set -e/d; s/^# \{0,1\}//; p}' "$0"; }

root=$(cd "$(dirname "$0")/.." && pwd -P)
build_dir=$root/build/mutate tests=() timeout=120 max=0 first=1 last=0 jobs=2 list=0 files=()
while (($#)); do
  case $1 in
    --build-dir) build_dir=$(realpath -m -- "${2:?--build-dir needs a directory}"); shift ;;
    --tests) tests=(-R "${2:?--tests needs a regular expression}"); shift ;;
    --timeout) timeout=${2:-}; shift ;;
    --max) max=${2:-}; shift ;;
    --jobs) jobs=${2:-}; shift ;;
    --lines) first=${2%%-*} last=${2#*-}; shift ;;
    --list) list=1 ;;
    -h | --help) usage; exit 0 ;;
    -*) die "unknown option $1 (see --help)" ;;
    *) files+=("$1") ;;
  esac
  shift
done
for n in "$timeout" "$max" "$jobs" "$first" "$last"; do
  [[ $n =~ ^[0-9]+$ ]] || die "not a whole number: '$n'"
done
((${#files[@]})) || die "name the C++ files to mutate (see --help)"
((${#tests[@]})) || tests=(-L core)

# The files as paths inside the source tree, each once.
declare -A seen=() backup=() objects=()
rel_files=()
for f in "${files[@]}"; do
  [[ -f $f ]] || die "no such file: $f"
  abs=$(realpath -- "$f")
  [[ $abs == "$root"/* ]] || die "$f is outside the source tree $root"
  rel=${abs#"$root"/}
  [[ -n ${seen[$rel]:-} ]] || { rel_files+=("$rel"); seen[$rel]=1; }
done
cd "$root"

# Prints FILE's mutants, one a line: LINE, a label and the mutated line, separated by \x1f.
list_mutants() {
  python3 - "$1" "$max" "$first" "$last" <<'PY'
import re, sys
path, limit, first, last = sys.argv[1], *map(int, sys.argv[2:])
text = open(path, encoding="utf-8", errors="surrogateescape").read()

def mask(text):
    """text with comments and string or character literals blanked to \x01, newlines kept."""
    out, i, n = [], 0, len(text)
    while i < n:
        c, j = text[i], None
        raw = re.match(r'(?:u8|[uUL])?R"([^()\\\s]{0,16})\(', text[i:i + 24])
        if text.startswith("//", i):
            j = text.find("\n", i) % (n + 1)
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2) % (n + 1) + 2
        elif raw and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == "_")):
            j = text.find(")" + raw.group(1) + '"', i + raw.end()) % (n + 1) + len(raw.group(1)) + 2
        elif c in "\"'":
            k = i
            while k > 0 and (text[k - 1].isalnum() or text[k - 1] in "_.'"):
                k -= 1
            if c == "'" and k < i and text[k].isdigit():  # a digit separator: 1'000
                out.append(c); i += 1; continue
            j = i + 1
            while j < n and text[j] not in (c, "\n"):
                j += 2 if text[j] == "\\" else 1
            j += 1
        if j is None:
            out.append(c); i += 1; continue
        j = min(j, n)
        out.append("".join(ch if ch == "\n" else "\x01" for ch in text[i:j])); i = j
    return "".join(out)

SWAP = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "==", "&&": "||", "||": "&&",
        "true": "false", "false": "true"}
SIMPLE = [  # pattern in the code, and the label and the replacement for one of its matches
    (r"(?<= )(?:<=|>=|==|!=|&&|\|\||<|>)(?= )|\b(?:true|false)\b", lambda m: (f"{m[0]} -> {SWAP[m[0]]}", SWAP[m[0]])),
    (r"(?<=[\w)\]]) [+-] 1(?![\w.'])", lambda m: (f"{m[0].strip()} dropped", "")),
    (r"(?<![\w)\]!])!(?!=)", lambda m: ("! dropped", ""))]
CALL = re.compile(r"\s*((?:::)?[A-Za-z_][\w:]*)(?:\s*(?:\.|->)\s*[A-Za-z_]\w*)*\s*\(.*\)\s*;\s*$")
RETURN = re.compile(r"(\s*return )([^?]*(?: (?:<=?|>=?|==|!=|&&|\|\|) )[^?]*);(\s*)$")
KEYWORDS = {"return", "if", "for", "while", "switch", "delete", "throw", "co_return", "sizeof", "new"}

def balanced(code):
    depth = 0
    for ch in code:
        depth += {"(": 1, ")": -1}.get(ch, 0)
        if depth < 0:
            return False
    return depth == 0

lines, masked = text.split("\n"), mask(text).split("\n")
mutants, previous, in_directive = [], "", False
for number, (line, code) in enumerate(zip(lines, masked), 1):
    code_only = code.replace("\x01", " ").strip()
    directive = in_directive or code_only.startswith("#")
    in_directive = directive and code_only.endswith("\\")
    if directive or "static_assert" in code or not code_only:
        previous = code_only or previous
        continue
    if first <= number and (last == 0 or number <= last):
        for pattern, change in SIMPLE:
            for m in re.finditer(pattern, code):
                label, replacement = change(m)
                mutants.append((number, label, line[:m.start()] + replacement + line[m.end():]))
        m = CALL.match(code)
        if (m and m[1] not in KEYWORDS and balanced(code) and
                (previous.endswith((";", "{", "}", ":")) or previous.startswith("#"))):
            mutants.append((number, "call removed", "\r" if line.endswith("\r") else ""))
        m = RETURN.match(code)
        if m:
            expression = line[m.start(2):m.end(2)]
            mutants.append((number, "return negated", f"{line[:m.end(1)]}!({expression});{line[m.end(2) + 1:]}"))
    previous = code_only
if 0 < limit < len(mutants):
    mutants = [mutants[i * len(mutants) // limit] for i in range(limit)]
sys.stdout.reconfigure(errors="surrogateescape")
for number, label, new in mutants:
    print(f"{number}\x1f{label}\x1f{new}")
PY
}

m_file=() m_line=() m_label=() m_text=()
for f in "${rel_files[@]}"; do
  found=$(list_mutants "$f") || die "could not read the mutants of $f"
  while IFS=$'\x1f' read -r line label text; do
    [[ -z $line ]] || m_file+=("$f") m_line+=("$line") m_label+=("$label") m_text+=("$text")
  done <<<"$found"
done
total=${#m_file[@]}
if ((list)); then
  for ((i = 0; i < total; i++)); do
    text=${m_text[i]}
    [[ ${m_label[i]} != "call removed" ]] || text="deletes: $(sed -n "${m_line[i]}p" "${m_file[i]}")"
    printf '%-34s %-16s %s\n' "${m_file[i]}:${m_line[i]}" "${m_label[i]}" "${text#"${text%%[![:space:]]*}"}"
  done
  echo "mutate: $total mutants"
  exit 0
fi
((total)) || { echo "mutate: no mutants in ${rel_files[*]}"; exit 0; }

work=$(mktemp -d "${TMPDIR:-/tmp}/mutate.XXXXXX")
log=$work/log test_pid=

# Puts FILE back from its backup and touches it, so the next build compiles it again.
restore() { cp -- "${backup[$1]}" "$1" && touch -- "$1"; }
restore_all() {
  local f failed=0
  for f in "${!backup[@]}"; do
    if ! { restore "$f" && cmp -s -- "${backup[$f]}" "$f"; }; then
      echo "mutate: could not restore $f: its original is in ${backup[$f]}" >&2
      failed=1
    fi
  done
  ((failed)) && exit 1
  rm -rf -- "$work"
}
trap restore_all EXIT
on_signal() {
  [[ -z $test_pid ]] || { kill "$test_pid" && wait "$test_pid"; } 2>/dev/null || true
  echo; echo "mutate: interrupted, restoring" >&2
  exit 130
}
trap on_signal INT TERM HUP

show_log() { tail -n 40 "$log" >&2; }
# The tests in the background, so that Ctrl-C stops the wait at once (timeout keeps its own group).
run_tests() {
  local rc=0
  timeout -k 10 "$timeout" ctest --test-dir "$build_dir" "${tests[@]}" -j "$jobs" \
    --no-tests=error --stop-on-failure >"$log" 2>&1 &
  test_pid=$!
  wait "$test_pid" || rc=$?
  test_pid=
  return "$rc"
}

# The object files compiled from FILE, as build targets (none for a header).
objects_of() {
  python3 - "$build_dir/compile_commands.json" "$root/$1" <<'PY'
import json, os, shlex, sys
for entry in json.load(open(sys.argv[1])):
    if os.path.realpath(os.path.join(entry["directory"], entry["file"])) == sys.argv[2]:
        words = shlex.split(entry["command"])
        print(entry.get("output") or words[words.index("-o") + 1])
PY
}

echo "mutate: $total mutants in ${#rel_files[@]} file(s); backups in $work"
launcher=()
[[ -z ${CMAKE_CXX_COMPILER_LAUNCHER:-} ]] || launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER="$CMAKE_CXX_COMPILER_LAUNCHER")
echo "mutate: building and testing the unmutated sources in $build_dir"
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUARNEL_BUILD_UI=OFF \
  "${launcher[@]}" >"$log" 2>&1 || { show_log; die "could not configure $build_dir"; }
cmake --build "$build_dir" >"$log" 2>&1 || { show_log; die "the unmutated sources do not build"; }
start=$SECONDS
run_tests || { show_log; die "the tests fail without any mutant (ctest ${tests[*]}), fix that first"; }
echo "mutate: the tests pass unmutated in $((SECONDS - start)) s"

for f in "${rel_files[@]}"; do
  copy=$work/${#backup[@]}.$(basename "$f")
  cp -p -- "$f" "$copy" && backup[$f]=$copy
  objects[$f]=$(objects_of "$f" | tr '\n' ' ')
done

# Writes mutant I into its file: the backup with one line replaced.
apply_mutant() {
  local f=${m_file[$1]}
  MUTANT_TEXT=${m_text[$1]} LC_ALL=C awk -v n="${m_line[$1]}" \
    'NR == n { print ENVIRON["MUTANT_TEXT"]; next } { print }' "${backup[$f]}" >"$f"
  touch -- "$f"
}

killed=0 unbuilt=0 survived=0 survivors=$work/survivors run_start=$SECONDS
: >"$survivors"
for ((i = 0; i < total; i++)); do
  f=${m_file[i]} start=$SECONDS
  read -ra objs <<<"${objects[$f]}"
  apply_mutant "$i"
  if ((${#objs[@]})) && ! cmake --build "$build_dir" --target "${objs[@]}" >"$log" 2>&1; then
    verdict="did not build" unbuilt=$((unbuilt + 1))
  elif ! cmake --build "$build_dir" >"$log" 2>&1; then
    # The mutated file compiled, so the link or the test listing failed: the mutant was noticed.
    verdict="killed (build failed)" killed=$((killed + 1))
  elif run_tests; then
    verdict="SURVIVED" survived=$((survived + 1))
    {
      echo "${f}:${m_line[i]}  ${m_label[i]}"
      diff -U1 --label "$f" --label "$f (mutant)" "${backup[$f]}" "$f" || true
      echo
    } >>"$survivors"
  else
    rc=$? verdict=killed killed=$((killed + 1))
    [[ $rc != 124 && $rc != 137 ]] || verdict="killed (timeout)"
  fi
  restore "$f"
  printf '[%d/%d] %-32s %-16s %s (%d s)\n' $((i + 1)) "$total" "$f:${m_line[i]}" "${m_label[i]}" \
    "$verdict" $((SECONDS - start))
done

((survived == 0)) || { printf '\n== survivors\n'; cat "$survivors"; }
elapsed=$((SECONDS - run_start))
echo "mutate: $killed of $total mutants killed ($((killed * 100 / total))%)," \
  "$unbuilt did not build, $survived survived (in $((elapsed / 60)) min $((elapsed % 60)) s)"
