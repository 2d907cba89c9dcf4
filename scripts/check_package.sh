#!/usr/bin/env bash
# Checks the Debian package with Debian's own tools and runs it as installed, from a scratch copy:
# control fields, desktop entry, AppStream data, lintian, man pages, --version and --help, a
# conversion byte-compared with its golden file, the settings in ~/.config/quarnel/ for both
# programs, and the bash completion.
#   scripts/check_package.sh [PACKAGE.deb]     (default: the one in build/package/)
set -euo pipefail
cd "$(dirname "$0")/.."
app_id=io.github.quarnel.Quarnel
unprivileged_id=65534
deb="${1:-$(ls build/package/quarnel_*_amd64.deb)}"

scratch="$(mktemp -d)"
window_pid=""
cleanup() {
  [ -z "$window_pid" ] || kill -KILL "$window_pid" 2>/dev/null || true
  chmod -R u+w "$scratch"
  rm -rf "$scratch"
}
trap cleanup EXIT
chmod 755 "$scratch"
tree="$scratch/tree"
dpkg-deb -x "$deb" "$tree"
bin="$tree/usr/bin"
share="$tree/usr/share"

fail() {
  printf 'check_package: %s\n' "$*" >&2
  exit 1
}

# Runs a checker that reports findings as output: any output or a failure status fails the check.
silent_or_fail() {
  local output
  output="$("$@" 2>&1)" || fail "$1 failed: $output"
  [ -z "$output" ] || fail "$1 reported: $output"
}

# The prefix that runs a command as an unprivileged user (root writes anywhere, so it would not
# show the rule for an unwritable program directory); empty for any other user.
as_user=()
[ "$(id -u)" -ne 0 ] ||
  as_user=(setpriv --reuid="$unprivileged_id" --regid="$unprivileged_id" --clear-groups --)

# A home folder of its own for the unprivileged user, with an empty output folder in it.
make_home() {
  mkdir -p "$1/out"
  [ "$(id -u)" -ne 0 ] || chown -R "$unprivileged_id:$unprivileged_id" "$1"
}

# The value of KEY in the golden case file of the road example.
road_case() { sed -n "s/^$1: //p" tests/data/golden/road/case.txt; }

check_control_fields() {
  local version
  version="$(dpkg-deb -f "$deb" Version)"
  [ "$version" = "$(dpkg-parsechangelog -l packaging/changelog -S Version)" ] ||
    fail "version $version is not the latest entry of packaging/changelog"
  [ -z "$(dpkg-deb -f "$deb" Homepage)" ] || fail "the package names a homepage"
  dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || fail "Depends lacks the Qt libraries"
  echo "$version"
}

check_desktop_data() {
  local entry="$share/applications/$app_id.desktop" exec icon
  silent_or_fail desktop-file-validate "$entry"
  appstreamcli validate --no-net --strict "$share/metainfo/$app_id.metainfo.xml" >/dev/null ||
    fail "appstreamcli: $(appstreamcli validate --no-net "$share/metainfo/$app_id.metainfo.xml")"
  appstreamcli validate-tree --no-net --strict "$tree" >/dev/null ||
    fail "appstreamcli: $(appstreamcli validate-tree --no-net "$tree")"
  exec="$(sed -n 's/^Exec=//p' "$entry")"
  [ -x "$bin/${exec%% *}" ] || fail "the desktop entry starts $exec, which the package lacks"
  icon="$(sed -n 's/^Icon=//p' "$entry")"
  [ -f "$share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no scalable icon named $icon"
}

check_lintian() {
  local output
  output="$(lintian --fail-on error,warning --tag-display-limit 0 "$deb" 2>&1)" ||
    fail "lintian: $output"
}

check_man_pages() {
  local page warnings
  for page in quarnel quarnel-convert; do
    [ -f "$share/man/man1/$page.1.gz" ] || fail "no man page for $page"
    warnings="$(MANWIDTH=80 man --warnings -l "$share/man/man1/$page.1.gz" 2>&1 >/dev/null)" ||
      fail "man cannot render $page.1: $warnings"
    [ -z "$warnings" ] || fail "man warns about $page.1: $warnings"
  done
}

check_answers() {
  local version="$1" help
  [ "$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$bin/quarnel" --version)" = \
    "quarnel $version" ] || fail "quarnel --version does not print quarnel $version"
  [ "$("$bin/quarnel-convert" --version)" = "quarnel-convert $version" ] ||
    fail "quarnel-convert --version does not print quarnel-convert $version"
  help="$("$bin/quarnel-convert" --help)" || fail "quarnel-convert --help failed"
  grep -q -- '--dest' <<<"$help" || fail "quarnel-convert --help lacks --dest"
}

check_conversion() {
  local out="$scratch/out"
  mkdir -p "$out"
  "$bin/quarnel-convert" --dest "$out" --length "$(road_case length)" \
    --height "$(road_case height)" --thickness "$(road_case thickness)" \
    --tools "$(road_case tools)" "$(road_case sources)"
  cmp "$out/road.nc" tests/data/golden/road/expected/road.nc
}

# Installed, the program directory is not writable: quarnel-convert reads the settings and the
# tool table from ~/.config/quarnel/ and writes nothing into usr/bin.
check_convert_settings_dir() {
  local home="$scratch/convert-home"
  mkdir -p "$home/.config/quarnel"
  printf '[Settings]\nX-Dimension=%s\nY-Dimension=%s\nZ-Dimension=%s\n' "$(road_case length)" \
    "$(road_case height)" "$(road_case thickness)" >"$home/.config/quarnel/Quarnel.INI"
  cp "$(road_case tools)" "$home/.config/quarnel/ToolTbl.Dat"
  cp "$(road_case sources)" "$home/road.nc"
  make_home "$home"
  [ "$(id -u)" -eq 0 ] || chmod a-w "$bin"
  "${as_user[@]}" env -i HOME="$home" "$bin/quarnel-convert" --dest "$home/out" "$home/road.nc"
  cmp "$home/out/road.nc" tests/data/golden/road/expected/road.nc
  [ "$(ls "$bin")" = "$(printf 'quarnel\nquarnel-convert')" ] || fail "a program wrote into usr/bin"
}

# The window takes the same directory: it creates ~/.config/quarnel/ at start-up (the About box
# then waits for the user, so the window is stopped once the directory is there).
check_window_settings_dir() {
  local home="$scratch/window-home"
  make_home "$home"
  "${as_user[@]}" env -i HOME="$home" QT_QPA_PLATFORM=offscreen "$bin/quarnel" \
    >"$scratch/window.log" 2>&1 &
  window_pid=$!
  for _ in $(seq 100); do
    if [ -d "$home/.config/quarnel" ] || ! kill -0 "$window_pid" 2>/dev/null; then break; fi
    sleep 0.1
  done
  kill -KILL "$window_pid" 2>/dev/null || true
  wait "$window_pid" 2>/dev/null || true
  window_pid=""
  [ -d "$home/.config/quarnel" ] ||
    fail "the window did not create ~/.config/quarnel/ within 10 s: $(cat "$scratch/window.log")"
}

# Completing "--" offers exactly the long options that --help documents.
check_completion() {
  local script="$share/bash-completion/completions/quarnel-convert" offered documented
  local framework=/usr/share/bash-completion/bash_completion
  [ -f "$framework" ] || fail "bash-completion is not installed (scripts/setup.sh installs it)"
  offered="$(bash -c 'source "$1"; source "$2"
    COMP_WORDS=(quarnel-convert --); COMP_CWORD=1; COMP_LINE="quarnel-convert --"
    COMP_POINT=${#COMP_LINE}; _quarnel_convert; printf "%s\n" "${COMPREPLY[@]}"' \
    _ "$framework" "$script" | sort)"
  documented="$("$bin/quarnel-convert" --help | grep -o -- '--[a-z][a-z-]*' | sort -u)"
  [ "$offered" = "$documented" ] ||
    fail "completion offers $(tr '\n' ' ' <<<"$offered"), --help: $(tr '\n' ' ' <<<"$documented")"
}

version="$(check_control_fields)"
check_desktop_data
check_lintian
check_man_pages
check_answers "$version"
check_conversion
check_convert_settings_dir
check_window_settings_dir
check_completion
echo "check_package: $(basename "$deb") passes every check"
