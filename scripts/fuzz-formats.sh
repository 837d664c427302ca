#!/usr/bin/env bash
# Fuzzes the sound file readers with libFuzzer for a number of seconds (default 180).
#   scripts/fuzz-formats.sh [seconds] [build folder]
# New inputs go to <build folder>/corpus; the seeds in tests/files/fuzz/corpus are only read. Copy a
# crash file (crash-*) into the seed folder once fixed, so that ctest replays it.
set -euo pipefail

seconds="${1:-180}"
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${2:-$root/build-fuzz-formats}"
mkdir -p "$out/corpus"

if ! command -v clang++ >/dev/null; then
    echo "clang++ is needed: sudo apt-get install -y clang" >&2
    exit 1
fi

sources=(
    "$root/tests/files/fuzz/FormatsFuzz.cpp"
    "$root/src/files/SoundFileFormat.cpp"
    "$root/src/files/SoundFileReader.cpp"
    "$root/src/files/WavHeaderTools.cpp"
    "$root/src/recording/WavHeader.cpp"
    "$root/src/common/NumberText.cpp"
    "$root/src/common/Rounding.cpp"
    "$root/src/settings/ControlModel.cpp"
    "$root/src/settings/WindowTypes.cpp"
)

clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$root/src" "${sources[@]}" -o "$out/formats-fuzz"

cd "$out"
./formats-fuzz -max_total_time="$seconds" -max_len=4096 -timeout=10 -print_final_stats=1 \
    corpus "$root/tests/files/fuzz/corpus"
