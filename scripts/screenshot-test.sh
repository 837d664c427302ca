#!/usr/bin/env bash
# Starts ondrix in a virtual X server with a fresh program folder, photographs the whole screen and checks
# that it shows the main window: not a blank screen, and a window that fits a 1280x800 screen.
# Usage: scripts/screenshot-test.sh PATH_TO_ONDRIX
set -euo pipefail

program="$(realpath "$1")"
if [ -z "${ONDRIX_SCREENSHOT_IN_XVFB:-}" ]; then
  exec env ONDRIX_SCREENSHOT_IN_XVFB=1 xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$@"
fi

work="$(mktemp -d)"
pid=""
cleanup() {
  if [ -n "$pid" ]; then
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "screenshot-test: $*" >&2
  cat "$work/err.txt" >&2 2>/dev/null || true
  exit 1
}

# Never the real home: the program folder and the working folders live in the temporary folder.
export HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb
mkdir -p "$HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"
window="$work/window.png"
"$program" --home "$work/ondrix" --screenshot "$window" --quit-after 300 >"$work/out.txt" 2>"$work/err.txt" &
pid=$!

# The program saves its own picture once its window has been up for a while, then prints its path: from
# then on the screen is ready.
for _ in $(seq 1 1200); do
  grep -qxF "$window" "$work/out.txt" && break
  kill -0 "$pid" 2>/dev/null || fail "ondrix ended before showing its window"
  sleep 0.1
done
grep -qxF "$window" "$work/out.txt" || fail "ondrix printed no picture path"
[ -s "$window" ] || fail "ondrix saved no picture of its window"

screen="$work/screen.png"
import -window root "$screen" || fail "cannot photograph the screen"

read -r width height < <(identify -format '%w %h\n' "$window")
[ "$width" -le 1280 ] && [ "$height" -le 800 ] || fail "the main window (${width}x${height}) does not fit 1280x800"

for picture in "$screen" "$window"; do
  deviation="$(convert "$picture" -colorspace Gray -format '%[fx:standard_deviation]' info:)"
  colours="$(convert "$picture" -format '%k' info:)"
  echo "$(basename "$picture"): grey deviation $deviation, $colours colours"
  awk -v d="$deviation" 'BEGIN { exit !(d > 0.05) }' || fail "$(basename "$picture") is nearly blank"
  [ "$colours" -gt 32 ] || fail "$(basename "$picture") has only $colours colours"
done
echo "screenshot-test: the main window is on the screen"
