#!/usr/bin/env bash
# Fails when a source file differs from what clang-format makes of it (includes sorted too).
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files -z -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' 'fuzz/*.cpp' 'fuzz/*.h' \
    | xargs -0 clang-format --dry-run -Werror
echo "format: ok"
