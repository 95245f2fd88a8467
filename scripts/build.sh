#!/bin/bash
# Configures and builds everything, tests included, into build/.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSORVAK_TESTS=ON
cmake --build build -j"$(nproc)"
