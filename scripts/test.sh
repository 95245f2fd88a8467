#!/bin/bash
# Installs what is missing, checks the formatting of the tracked sources,
# builds, and runs every test: unit, widget, fuzz-corpus replays, install and
# end-to-end under Xvfb; then the unit, widget and fuzz-replay tests again,
# built with the address and undefined-behaviour sanitizers in build-asan/;
# then what runs on more than one thread (tests labelled `concurrent`), built
# with the thread sanitizer in build-tsan/. Every build treats warnings as
# errors (presets in CMakePresets.json).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh test
bash scripts/check-format.sh
bash scripts/build.sh
ctest --preset default -j"$(nproc)"

cmake --preset asan
cmake --build --preset asan -j"$(nproc)"
# The preset sets ASAN_OPTIONS (a huge allocation returns null, as the
# too-large-picture checks expect), UBSAN_OPTIONS and LSAN_OPTIONS.
ctest --preset asan -j"$(nproc)"

# Only the concurrent parts and their tests (the preset's build targets); the
# preset sets TSAN_OPTIONS with the suppressions in tests/tsan.supp. It leaves
# out what the plain stage covers and TSan makes slow or late: the 200 signal
# rounds, the 20000 x 20000 and full-page pictures through every writer, and
# the tests that hold the instrumented program to a wall-clock bound.
cmake --preset tsan
cmake --build --preset tsan -j"$(nproc)"
ctest --preset tsan -j"$(nproc)"
