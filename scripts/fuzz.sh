#!/usr/bin/env bash
# Fuzzes one parser with libFuzzer for a number of seconds.
#   scripts/fuzz.sh formats|remote [seconds] [build folder]
# formats: the sound file readers (default 180 s, seeds in tests/files/fuzz/corpus); remote: the UDP
# command parser (default 120 s, seeds in tests/remote/fuzz/corpus). New inputs go to <build
# folder>/corpus; the seeds are only read. Copy a crash file (crash-*) into the seed folder once fixed, so
# that ctest replays it.
set -euo pipefail

target="${1:?usage: $0 formats|remote [seconds] [build folder]}"
root="$(cd "$(dirname "$0")/.." && pwd)"
libs=()
case $target in
formats)
    seconds="${2:-180}"
    max_len=4096
    seeds="$root/tests/files/fuzz/corpus"
    sources=(
        "$root/tests/files/fuzz/FormatsFuzz.cpp"
        "$root/src/files/LibrarySoundFile.cpp"
        "$root/src/files/SoundFileFormat.cpp"
        "$root/src/files/SoundFileReader.cpp"
        "$root/src/files/WavHeaderTools.cpp"
        "$root/src/recording/WavHeader.cpp"
        "$root/src/settings/ControlModel.cpp"
        "$root/src/settings/WindowTypes.cpp"
    )
    libs=($(pkg-config --libs sndfile))
    ;;
remote)
    seconds="${2:-120}"
    max_len=70000
    seeds="$root/tests/remote/fuzz/corpus"
    sources=(
        "$root/tests/remote/fuzz/RemoteFuzz.cpp"
        "$root/src/remote/RemoteSentence.cpp"
        "$root/src/common/Fields.cpp"
    )
    ;;
*)
    echo "unknown target: $target (formats or remote)" >&2
    exit 2
    ;;
esac
sources+=("$root/src/common/FileAccess.cpp" "$root/src/common/NumberText.cpp" "$root/src/common/Rounding.cpp")
out="${3:-$root/build-fuzz-$target}"
mkdir -p "$out/corpus"

if ! command -v clang++ >/dev/null; then
    echo "clang++ is needed: sudo apt-get install -y clang" >&2
    exit 1
fi

clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$root/src" "${sources[@]}" "${libs[@]}" -o "$out/$target-fuzz"

cd "$out"
"./$target-fuzz" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 -print_final_stats=1 \
    corpus "$seeds"
