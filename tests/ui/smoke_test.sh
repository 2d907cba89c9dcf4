#!/usr/bin/env bash
# The program as a person runs it: quarnel on a virtual display with a window manager, driven
# by xdotool with the keyboard and the mouse: the About box's OK, a click on a source file,
# Process, the output checked byte for byte, then the window manager's close, which saves the
# settings, and the program's exit.
#
#     smoke_test.sh QUARNEL_EXECUTABLE UI_TEST_DATA_DIR
#
# Exits 77 (skipped) only when the virtual display cannot start.
set -euo pipefail

quarnel=$1
data=$2
skip=77

say() { echo "smoke: $*" >&2; }
fail() { say "$*"; exit 1; }

command -v Xvfb >/dev/null || { say "Xvfb is not installed (scripts/setup.sh installs it): skipped"; exit $skip; }
for tool in openbox xdotool; do
  command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/setup.sh installs it)"
done

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Polls a command for up to $1 seconds; true as soon as it succeeds.
within() {
  local seconds=$1; shift
  local tries=$((seconds * 10))
  while ((tries-- > 0)); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}

# A portable install: the program's own directory holds its settings and tool table.
mkdir -p "$work/app" "$work/parts" "$work/machine"
cp "$quarnel" "$work/app/quarnel"
cp "$data/road.nc" "$work/parts/road.nc"
cp "$data/road-tools.dat" "$work/app/ToolTbl.Dat"
cat >"$work/app/Quarnel.INI" <<INI
[Settings]
SourcePath=$work/parts/
DestinationPath=$work/machine/
X-Dimension=600
Y-Dimension=400
Z-Dimension=18
INI

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
if ! within 15 test -s "$work/display"; then
  say "Xvfb could not start ($(tail -n 1 "$work/xvfb.log")): skipped"
  exit $skip
fi
export DISPLAY=":$(head -n 1 "$work/display")"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY

openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
within 30 xdotool get_num_desktops || fail "the window manager did not start: $(cat "$work/openbox.log")"

table=$(stat -c %i "$work/app/ToolTbl.Dat")
QT_QPA_PLATFORM=xcb "$work/app/quarnel" >"$work/quarnel.log" 2>&1 &
app=$!
pids+=("$app")

# The first visible window whose name matches, within 20 seconds. A search can fail while
# windows come and go (xdotool stops at a window destroyed under it): it is tried again.
window() {
  local tries=200 id
  while ((tries-- > 0)); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1) || true
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}
about=$(window '^About Ostrevan$') || fail "no About box"
xdotool windowactivate --sync "$about" key --clearmodifiers Return
main=$(window '^Ostrevan$') || fail "no main window"
xdotool windowactivate --sync "$main"
sleep 0.5

# The first entry of the source list, then Process: the frame, the control and a point inside.
xdotool mousemove --window "$main" $((8 + 48 + 20)) $((8 + 48 + 7)) click 1
sleep 0.3
xdotool mousemove --window "$main" $((248 + 64 + 40)) $((8 + 24 + 16)) click 1
within 20 cmp -s "$work/machine/road.nc" "$data/road.expected" ||
  fail "the output is not what the rules give: $(ls -l "$work/machine")"

xdotool windowactivate --sync "$main" key --clearmodifiers alt+F4
within 15 bash -c "! kill -0 $app" || fail "the program did not exit after its window closed"
wait "$app" || fail "the program exited with status $?: $(cat "$work/quarnel.log")"
grep -q '^\[Window\]' "$work/app/Quarnel.INI" && grep -q '^Left=' "$work/app/Quarnel.INI" ||
  fail "the close did not save the window's place"
[ "$(stat -c %i "$work/app/ToolTbl.Dat")" != "$table" ] || fail "the close did not save the tool table"
echo "smoke: converted road.nc through the window, saved on close and exited"
