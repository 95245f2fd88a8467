#!/bin/bash
# Installs what is missing, builds, and runs every test: unit, widget,
# fuzz-corpus replays, install and end-to-end under Xvfb; then the unit,
# widget and fuzz-replay tests again, built with the address and
# undefined-behaviour sanitizers in build-asan/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh test
bash scripts/build.sh
ctest --test-dir build --output-on-failure -j"$(nproc)" --timeout 600

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSORVAK_SANITIZE=ON -DSORVAK_E2E=OFF
cmake --build build-asan -j"$(nproc)"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
ctest --test-dir build-asan --output-on-failure -j"$(nproc)" --timeout 900 -L 'unit|widget|fuzz'
