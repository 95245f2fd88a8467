#!/bin/bash
# Configures and builds everything, tests included, into build/ (the
# "default" preset of CMakePresets.json: warnings are errors).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset default
cmake --build --preset default -j"$(nproc)"
