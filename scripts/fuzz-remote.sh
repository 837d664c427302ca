#!/usr/bin/env bash
# Fuzzes the remote command parser with libFuzzer for a number of seconds (default 120).
#   scripts/fuzz-remote.sh [seconds] [build folder]
# New inputs go to <build folder>/corpus; the seeds in tests/remote/fuzz/corpus are only read. Copy a
# crash file (crash-*) into the seed folder once fixed, so that ctest replays it.
set -euo pipefail

seconds="${1:-120}"
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${2:-$root/build-fuzz-remote}"
mkdir -p "$out/corpus"

if ! command -v clang++ >/dev/null; then
    echo "clang++ is needed: sudo apt-get install -y clang" >&2
    exit 1
fi

sources=(
    "$root/tests/remote/fuzz/RemoteFuzz.cpp"
    "$root/src/remote/RemoteSentence.cpp"
    "$root/src/common/Fields.cpp"
    "$root/src/common/NumberText.cpp"
    "$root/src/common/Rounding.cpp"
)

clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$root/src" "${sources[@]}" -o "$out/remote-fuzz"

cd "$out"
./remote-fuzz -max_total_time="$seconds" -max_len=70000 -timeout=10 -print_final_stats=1 \
    corpus "$root/tests/remote/fuzz/corpus"
