#!/usr/bin/env bash
# Runs Ondrix from the build folder. Without a display (DISPLAY and WAYLAND_DISPLAY unset) it runs in a
# virtual X server, saves a picture of the main window after a few seconds, prints its path and ends.
# Usage: scripts/run.sh [BUILD_DIR] [ondrix options...]
set -euo pipefail

build_dir="${1:-build}"
shift || true
program="$build_dir/src/app/ondrix"
if [ ! -x "$program" ]; then
  echo "run.sh: $program is not built; run 'make build' first" >&2
  exit 1
fi

# Real-time analysis starts at once on the default input (the built-in test signal without a card).
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$program" --start "$@"
fi

# Qt wants a private runtime folder; a headless session often has none.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR="$(mktemp -d)"
  export XDG_RUNTIME_DIR
  trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
fi

screenshot="$(cd "$build_dir" && pwd)/ondrix-screenshot.png"
rm -f "$screenshot"
echo "No display: running Ondrix in a virtual 1280x800 screen; picture of the main window:"
xvfb-run -a -s "-screen 0 1280x800x24" env QT_QPA_PLATFORM=xcb "$program" --start --screenshot "$screenshot" "$@" 2>"$build_dir/ondrix-run.log"
if [ ! -s "$screenshot" ]; then
  echo "run.sh: no picture was saved" >&2
  exit 1
fi
