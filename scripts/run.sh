#!/bin/bash
# Installs what is missing, builds, and starts Sorvak on the current display.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh
exec build/app/sorvak
