#!/usr/bin/env bash
# Kills the window's save on the user's close with SIGKILL at random moments (a test program
# that links the window's save code and saves two sets of settings and tool table in turn), and
# checks after each kill that Quarnel.INI and ToolTbl.Dat are whole, old or new, and that
# nothing but their temporaries stands beside them.
#   scripts/crash_test_window.sh [--kills N] [--exe PATH] [--seed N]
# Default: 500 kills with build/release/tests/ui/ui_save_on_close_loop (built when missing).
set -euo pipefail
cd "$(dirname "$0")/.."
kills=500
exe=""
seed=$$
while [ $# -gt 0 ]; do
  case "$1" in
    --kills) kills="$2"; shift 2 ;;
    --exe) exe="$2"; shift 2 ;;
    --seed) seed="$2"; shift 2 ;;
    -h|--help) sed -n '2,7p' "$0"; exit 0 ;;
    *) echo "crash_test_window: unknown argument $1" >&2; exit 2 ;;
  esac
done
if [ -z "$exe" ]; then
  scripts/build.sh release ui_save_on_close_loop >/dev/null
  exe="$PWD/build/release/tests/ui/ui_save_on_close_loop"
fi
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
RANDOM=$seed
app=$(mktemp -d "${TMPDIR:-/tmp}/quarnel-crash-window-XXXXXX")
trap 'rm -rf "$app" "$app.seen"' EXIT
"$exe" seed "$app"

# How long the program takes to start and save once, so that kills spread over the saves.
start=$(date +%s%N)
"$exe" save "$app" 2>/dev/null & pid=$!
until [ -n "$(find "$app" -maxdepth 1 -name Quarnel.INI -newer "$app/ToolTbl.Dat")" ]; do sleep 0.01; done
start_ms=$(( ($(date +%s%N) - start) / 1000000 ))
kill -KILL "$pid"; { wait "$pid"; } 2>/dev/null || true

landed=0
temporaries=0
for kill in $(seq 1 "$kills"); do
  delay_ms=$(( start_ms / 2 + RANDOM % (start_ms + 100) ))
  "$exe" save "$app" >/dev/null 2>&1 & pid=$!
  sleep "$(printf '%d.%03d' $((delay_ms / 1000)) $((delay_ms % 1000)))"
  kill -KILL "$pid" 2>/dev/null && landed=$((landed + 1))
  { wait "$pid"; } 2>/dev/null || true
  if ! "$exe" check "$app" >> "$app.seen"; then
    echo "crash_test_window: kill $kill after ${delay_ms} ms left a file that is not whole" >&2
    exit 1
  fi
  others=$(ls -A "$app" | grep -vxE 'Quarnel\.INI|ToolTbl\.Dat|\.(Quarnel\.INI|ToolTbl\.Dat)\.[A-Za-z0-9]{6}' || true)
  if [ -n "$others" ]; then
    echo "crash_test_window: kill $kill: unexpected entries: $others" >&2
    exit 1
  fi
  temporaries=$(ls -A "$app" | grep -c '^\.' || true)
done
sets_seen() { grep -o "$1 [^,]*" "$app.seen" | sort -u | wc -l; }
if [ "$kills" -ge 20 ] && { [ "$(sets_seen settings)" -ne 2 ] || [ "$(sets_seen table)" -ne 2 ]; }; then
  echo "crash_test_window: the saves did not change both files between the two sets" >&2
  exit 1
fi
echo "crash_test_window: $kills kills ($landed of the running program, $temporaries of them in the" \
     "middle of a write, which left its temporary; start and first save ${start_ms} ms, seed $seed)," \
     "Quarnel.INI and ToolTbl.Dat whole after each"
