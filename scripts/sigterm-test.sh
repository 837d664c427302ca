#!/usr/bin/env bash
# Starts ondrix headless with a real-time run going, sends SIGTERM and checks that the program stops the
# run, cleans up and ends with exit code 0 within a few seconds. With "record", the run records (/REC)
# and the recording must be a closed WAV file (sizes in the header match its length, sox reads it)
# whose closing line is in the session log. With "file", --start is given a sound file to open with
# "Analysis on open" checked, so the file analysis runs inside the command line's handling.
# Usage: scripts/sigterm-test.sh PATH_TO_ONDRIX [record|file]
set -euo pipefail

program="$(realpath "$1")"
mode="${2:-}"
work="$(mktemp -d)"
pid=""
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "sigterm-test: $*" >&2
  grep -v '^ALSA lib\|jack\|Jack\|^Cannot connect' "$work/err.txt" >&2 2>/dev/null || true
  exit 1
}

# Never the real home: the program folder and the working folders live in the temporary folder.
export HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"
args=(--home "$work/ondrix" --no-splash --start)
if [ "$mode" = record ]; then
  args=(--home "$work/ondrix" --no-splash /REC)
elif [ "$mode" = file ]; then
  mkdir -p "$work/ondrix"
  printf 'OPTIONS0.CheckAnalysisOnOpen = 1\r\n' >"$work/ondrix/ondrix.ini"
  sox -n -r 48000 -c 1 -b 16 "$work/tone.wav" synth 20 sine 3000
  args+=("$work/tone.wav")
fi
"$program" "${args[@]}" >"$work/out.txt" 2>"$work/err.txt" &
pid=$!

# Give the run time to start and capture (a recording: until its first block is in the file; a loaded
# machine may take long), then ask the program to end as a service manager would.
if [ "$mode" = record ]; then
  for _ in $(seq 1 300); do
    kill -0 "$pid" 2>/dev/null || break
    [ "$(find "$HOME/Ondrix" -name '*.wav' -size +44c 2>/dev/null)" ] && break
    sleep 0.1
  done
else
  sleep 2
fi
kill -0 "$pid" 2>/dev/null || fail "ondrix ended before the signal"
kill -TERM "$pid"

for _ in $(seq 1 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "ondrix still runs 10 s after SIGTERM"
status=0
wait "$pid" || status=$?
pid=""
[ "$status" -eq 0 ] || fail "ondrix ended with exit code $status after SIGTERM"
grep -q '^ondrix: Terminated: stopping the run, then quitting$' "$work/err.txt" ||
  fail "ondrix did not report a run stopped by the signal"
# Nothing else of the program's own complaints, and no Qt warnings about objects left behind.
if grep -E '^ondrix: ' "$work/err.txt" | grep -vq 'Terminated'; then
  fail "ondrix reported a problem"
fi
if grep -Eq 'QSocketNotifier|QObject::|QThread|Segmentation|Aborted' "$work/err.txt"; then
  fail "Qt reported a problem while ending"
fi
[ -d "$work/ondrix" ] || fail "the program folder was not created"
if [ "$mode" = record ]; then
  shopt -s nullglob
  files=("$HOME"/Ondrix/*.wav)
  [ "${#files[@]}" -eq 1 ] || fail "expected one recording in $HOME/Ondrix, found ${#files[@]}"
  wav="${files[0]}"
  length=$(stat -c %s "$wav")
  riff=$(od -An -tu4 -j4 -N4 "$wav" | tr -d ' ')
  data=$(od -An -tu4 -j40 -N4 "$wav" | tr -d ' ')
  [ "$length" -gt 44 ] || fail "the recording holds no samples ($length bytes)"
  [ "$riff" -eq $((length - 8)) ] || fail "RIFF size $riff in a file of $length bytes"
  [ "$data" -eq $((length - 44)) ] || fail "data size $data in a file of $length bytes"
  samples=$(soxi -s "$wav") || fail "sox cannot read the recording"
  [ "$samples" -eq $(((length - 44) / 2)) ] || fail "sox reads $samples samples"
  grep -q "Closing  .*$(basename "$wav")" "$work"/ondrix/RecLog*.Log ||
    fail "the session log has no closing line for the recording"
  echo "sigterm-test: the recording $(basename "$wav") was closed with $samples samples"
fi
echo "sigterm-test: the run stopped and ondrix ended with exit code 0"
