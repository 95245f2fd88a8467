#!/bin/bash
# Fails when a C++ source differs from what clang-format makes of it with the
# committed .clang-format. Fix with: clang-format -i FILE
set -euo pipefail
cd "$(dirname "$0")/.."
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -z '*.cpp' '*.h' | xargs -0 -r clang-format --dry-run --Werror
else
    # An unpacked archive: the sources outside the build folders.
    find . -path './build*' -prune -o -type f \( -name '*.cpp' -o -name '*.h' \) -print0 |
        xargs -0 -r clang-format --dry-run --Werror
fi
