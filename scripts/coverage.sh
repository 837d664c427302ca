#!/usr/bin/env bash
# Line and branch coverage of src/ per subsystem: an instrumented build in build-coverage/, the whole
# test suite, and a gcovr summary. Usage: scripts/coverage.sh [BUILD_DIR]
# Writes BUILD_DIR/ctest.log (which tests ran, passed or skipped), BUILD_DIR/coverage.json (gcovr's
# per-file summary) and prints the per-subsystem table that docs/TESTING.md records.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir="${1:-build-coverage}"
./scripts/install-deps.sh coverage
launcher=()
if command -v ccache >/dev/null; then
  # Paths relative to the checkout, so other checkouts share the cache.
  export CCACHE_BASEDIR="$PWD"
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Coverage "${launcher[@]}" \
  -DCMAKE_CXX_FLAGS="-Og --coverage" -DCMAKE_EXE_LINKER_FLAGS="--coverage"
cmake --build "$build_dir" -j "$(nproc)"

# Counters of an earlier run would add up with this one.
find "$build_dir" -name '*.gcda' -delete
ctest --test-dir "$build_dir" -j "$(nproc)" 2>&1 | tee "$build_dir/ctest.log" || true

gcovr --root . --object-directory "$build_dir" --filter 'src/' \
  --exclude-throw-branches --exclude-unreachable-branches \
  --json-summary "$build_dir/coverage.json" --print-summary >/dev/null
python3 scripts/coverage-table.py "$build_dir/coverage.json" "$build_dir/ctest.log"
