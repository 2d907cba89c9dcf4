#!/usr/bin/env bash
# Installs what is missing, builds, and starts Quarnel's window. Without a display it says so
# and shows the command-line converter at work on the bundled example instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh release quarnel quarnel-convert >/dev/null

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x build/release/ui/quarnel ]; then
  exec build/release/ui/quarnel "$@"
fi

echo "No display found: converting examples/road.nc with quarnel-convert instead."
out="$(mktemp -d)"
build/release/cli/quarnel-convert --dest "$out" --length 600 --height 400 --thickness 18 \
  --tools examples/road-tools.dat examples/road.nc
echo "== $out/road.nc"
cat "$out/road.nc"
