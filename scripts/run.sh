#!/bin/bash
# Installs what running needs, builds the program alone, and starts it on the
# current display.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh run
# A build folder that test.sh configured keeps its tests; a new one gets
# none, so no test package is needed.
options=()
[[ -f build/CMakeCache.txt ]] || options=(-DSORVAK_TESTS=OFF)
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}" >/dev/null
cmake --build build --target sorvak -j"$(nproc)"
exec build/app/sorvak
