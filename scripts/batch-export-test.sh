#!/usr/bin/env bash
# The export of a batch of files: --jobs 2, --jobs 1 and GNU parallel (one export per file) write the same
# outputs byte for byte; a run killed with SIGKILL after its first complete output and resumed with
# --skip-existing ends with the same outputs and a summary naming the files it skipped; a corrupt file is
# a failed entry of the summary and makes the exit code 1.
# Usage: scripts/batch-export-test.sh PATH_TO_ONDRIX
set -euo pipefail

program="$(realpath "$1")"
work="$(mktemp -d)"
pid=""
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    kill -KILL "$pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "batch-export-test: $*" >&2
  exit 1
}
export HOME="$work/home" QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME" "$work/in"

# The inputs: a name, sox's output options and what sox synthesises. One long file keeps a run busy long
# enough to be killed in the middle.
inputs=(
  "mono48k.wav|-r 48000 -c 1 -b 16|synth 3 sine 1000"
  "stereo44k.wav|-r 44100 -c 2 -b 16|synth 2 sine 440 sine 3000"
  "quad.wav|-r 44100 -c 4 -b 16 -t wavpcm|synth 2 sine 300 sine 900 sine 2000 sine 5000 vol 0.25"
  "int32.wav|-r 48000 -c 1 -b 32 -e signed-integer -t wavpcm|synth 2 sine 700"
  "float32.wav|-r 48000 -c 1 -b 32 -e floating-point -t wavpcm|synth 2 sine 700 vol 0.5"
  "float32stereo.wav|-r 22050 -c 2 -b 32 -e floating-point|synth 2 sine 700 sine 1500"
  "low8k.wav|-r 8000 -c 1 -b 16|synth 5 sine 100-3000"
  "noise.wav|-r 48000 -c 1 -b 16|synth 2 whitenoise vol 0.2"
  "headerless.raw|-r 5000 -c 1 -b 16 -e signed -t raw|synth 4 sine 400"
  "headerless2.bin|-r 5000 -c 1 -b 16 -e signed -t raw|synth 3 sine 1200"
  "long.wav|-r 48000 -c 1 -b 16|synth 120 whitenoise vol 0.3"
  "silence.wav|-r 48000 -c 2 -b 16|trim 0 1"
  "chirp.wav|-r 96000 -c 1 -b 16|synth 2 sine 200-40000"
  "archive.flac|-r 44100 -c 1 -b 16|synth 3 sine 880"
  "field24.wav|-r 48000 -c 2 -b 24|synth 2 sine 500 sine 2500"
)
for input in "${inputs[@]}"; do
  IFS='|' read -r name options effect <<<"$input"
  # shellcheck disable=SC2086
  sox -q -n $options "$work/in/$name" $effect
done
# A WAV header with no format chunk in it.
printf 'RIFF\044\000\000\000WAVEjunk\020\000\000\000%016d' 0 >"$work/in/corrupt.wav"

# The list, with a comment and a blank line; one file comes as an argument instead.
{
  echo "# the batch"
  for input in "${inputs[@]:1}"; do
    echo "$work/in/${input%%|*}"
    echo
  done
  echo "$work/in/corrupt.wav"
} >"$work/list.txt"
first="$work/in/${inputs[0]%%|*}"
grep -v '^#' "$work/list.txt" | grep . >"$work/plain.txt"

export_run() { # OUT SUMMARY [options...]: the exit code in $status
  local out="$1" summary="$2"
  shift 2
  status=0
  "$program" --export "$out" --home "$work/ondrix" --width 256 --columns --summary "$summary" "$@" \
    --files-from "$work/list.txt" "$first" 2>>"$work/err.txt" || status=$?
}
summary_has() { # SUMMARY FILE STATUS
  grep -F "\"path\":\"$work/in/$2\"" "$1" | grep -qF "\"status\":\"$3\""
}

export_run "$work/out1" "$work/s1.jsonl" --jobs 1
[ "$status" = 1 ] || fail "--jobs 1 with a corrupt file ended with $status, not 1"
export_run "$work/out2" "$work/s2.jsonl" --jobs 2
[ "$status" = 1 ] || fail "--jobs 2 with a corrupt file ended with $status, not 1"
parallel -j2 "'$program' --export '$work/out3' --home '$work/ondrix' --width 256 --columns {} 2>/dev/null" \
  :::: "$work/plain.txt" ::: "$first" ||
  true
[ "$(wc -l <"$work/s2.jsonl")" = $((${#inputs[@]} + 1)) ] || fail "the summary has not a line per input"
grep -F '"path":"'"$work/in/corrupt.wav"'"' "$work/s2.jsonl" | grep -q '"error":"[^"]' ||
  fail "the corrupt file has no error in the summary"
for input in "${inputs[@]}"; do
  summary_has "$work/s2.jsonl" "${input%%|*}" done || fail "${input%%|*} is not done in the summary"
done
[ "$(find "$work/out1" -name '*.csv' | wc -l)" = "${#inputs[@]}" ] || fail "a table is missing"
grep -F '"path":"'"$work/in/archive.flac"'"' "$work/s2.jsonl" | grep -qF '"type":"FLAC' ||
  fail "the FLAC file's type is not FLAC in the summary"
diff -r "$work/out1" "$work/out2" >/dev/null || fail "--jobs 2 differs from --jobs 1"
diff -r "$work/out1" "$work/out3" >/dev/null || fail "GNU parallel's runs differ from --jobs 1"

# Command lines that cannot be used end with 2 before anything is analysed.
for bad in "--bogus $first" "--jobs 0 $first" "--jobs" "--files-from $work/no-list.txt" ""; do
  # shellcheck disable=SC2086
  "$program" --export "$work/unused" $bad 2>/dev/null && status=0 || status=$?
  [ "$status" = 2 ] || fail "'--export OUT $bad' ended with $status, not 2"
done

# Killed after its first complete output (stopped first, so it cannot end between the look and the kill).
"$program" --export "$work/out4" --home "$work/ondrix" --width 256 --columns --jobs 2 --summary "$work/s4.jsonl" \
  --files-from "$work/list.txt" "$first" 2>>"$work/err.txt" &
pid=$!
until compgen -G "$work/out4/*.png" >/dev/null || compgen -G "$work/out4/*.csv" >/dev/null; do
  kill -0 "$pid" 2>/dev/null || fail "the run ended before any output appeared"
  sleep 0.01
done
kill -STOP "$pid" 2>/dev/null || fail "the run ended before it could be killed"
[ "$(wc -l <"$work/s4.jsonl")" -le "${#inputs[@]}" ] || fail "the run ended before it could be killed"
kill -KILL "$pid"
wait "$pid" 2>/dev/null || true
pid=""
export_run "$work/out4" "$work/s5.jsonl" --jobs 2 --skip-existing
[ "$status" = 1 ] || fail "the resumed run ended with $status, not 1"
diff -r "$work/out1" "$work/out4" >/dev/null || fail "the resumed run's outputs differ from an uninterrupted run's"
grep -q '"status":"skipped"' "$work/s5.jsonl" || fail "the resumed run skipped nothing"
while read -r line; do
  name="$(sed 's/.*"path":"[^"]*\/\([^"/]*\)".*/\1/' <<<"$line")"
  summary_has "$work/s5.jsonl" "$name" skipped || fail "$name was done before the kill but not skipped"
done < <(grep '"status":"done"' "$work/s4.jsonl")
echo "batch-export-test: passed ($(grep -c skipped "$work/s5.jsonl") skipped after the kill)"
