#!/usr/bin/env bash
# Starts ondrix headless with a real-time run going, sends SIGTERM and checks that the program stops the
# run, cleans up and ends with exit code 0 within a few seconds.
# Usage: scripts/sigterm-test.sh PATH_TO_ONDRIX
set -euo pipefail

program="$(realpath "$1")"
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
"$program" --home "$work/ondrix" --start --no-splash >"$work/out.txt" 2>"$work/err.txt" &
pid=$!

# Give the run time to start and capture, then ask the program to end as a service manager would.
sleep 2
kill -0 "$pid" 2>/dev/null || fail "ondrix ended before the signal"
kill -TERM "$pid"

status=""
for _ in $(seq 1 100); do
  if ! kill -0 "$pid" 2>/dev/null; then
    status=0
    wait "$pid" || status=$?
    break
  fi
  sleep 0.1
done
[ -n "$status" ] || fail "ondrix still runs 10 s after SIGTERM"
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
echo "sigterm-test: the run stopped and ondrix ended with exit code 0"
