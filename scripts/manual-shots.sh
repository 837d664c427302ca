#!/usr/bin/env bash
# Makes the pictures of the user manual (docs/manual/img/*.png) from the real program in a virtual X
# server: the main window live with the test signal and with a file open, and the settings windows.
# Builds the program first when it is missing. Usage: scripts/manual-shots.sh [PATH_TO_ONDRIX]
set -euo pipefail

source_dir="$(cd "$(dirname "$0")/.." && pwd)"
program="${1:-$source_dir/build/src/app/ondrix}"
if [ ! -x "$program" ]; then
  cmake -S "$source_dir" -B "$source_dir/build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$source_dir/build" --target ondrix
fi
program="$(realpath "$program")"
if [ -z "${ONDRIX_SHOTS_IN_XVFB:-}" ]; then
  exec env ONDRIX_SHOTS_IN_XVFB=1 xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$program"
fi

images="$source_dir/docs/manual/img"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$images"
# Never the real home: every picture starts from a fresh program folder in the temporary folder.
export HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb
mkdir -p "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"

# shot NAME SECONDS [ondrix arguments...]: a fresh program folder whose saved configuration picks the test
# signal as input and the silent output, the program run with the arguments, its picture (taken after 3 s)
# saved as NAME.png.
shot() {
  local name="$1" seconds="$2"
  shift 2
  local home="$work/ondrix-$name"
  mkdir -p "$home"
  printf 'FORM1.Combo10=Ondrix Test Signal\r\nOPTIONS0.Combo9=Ondrix Null Output\r\n' >"$home/ondrix.ini"
  "$program" --home "$home" --no-splash --screenshot "$work/$name.png" --quit-after "$seconds" "$@" \
    >"$work/$name.out" 2>"$work/$name.err" || true
  if [ ! -s "$work/$name.png" ]; then
    echo "manual-shots: no picture for $name" >&2
    cat "$work/$name.err" >&2
    exit 1
  fi
  # A palette of at most 256 colours keeps the pictures small.
  convert "$work/$name.png" -strip +dither -colors 256 PNG8:"$images/$name.png"
  echo "$images/$name.png"
}

# A minute of a rising tone over a steady one, with noise, to open as a file.
sox -n -r 48000 -b 16 -c 1 "$work/sweep.wav" synth 60 sine 2000-12000 sine 6000 whitenoise vol 0.4

shot main-live 5 --start
shot main-file 5 --start "$work/sweep.wav"
shot basic-settings 5 --screenshot-window BasicSettings
shot advanced-settings 5 --screenshot-window AdvancedSettings
shot special-settings 5 --screenshot-window SpecialSettings
