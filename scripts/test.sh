#!/bin/bash
# Installs what is missing, builds, and runs every test: unit, widget,
# fuzz-corpus replays and end-to-end under Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh
ctest --test-dir build --output-on-failure -j"$(nproc)" --timeout 600
