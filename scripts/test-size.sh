#!/usr/bin/env bash
# Lines of the program (src/) against lines of its tests (tests/ and the scripts only tests use), and
# their ratio. The suite is kept near a third of the program.
set -euo pipefail
cd "$(dirname "$0")/.."

count() { find "$@" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.cmake' -o -name 'CMakeLists.txt' \
  -o -name '*.sh' -o -name '*.py' \) -print0 | xargs -0 cat | wc -l; }

program=$(count src)
tests=$(count tests scripts/pulse-null-sink.sh scripts/screenshot-test.sh scripts/sigterm-test.sh \
  scripts/fuzz.sh)
echo "src: $program lines, tests: $tests lines, tests/src: $((100 * tests / program)) %"
