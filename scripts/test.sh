#!/usr/bin/env bash
# Runs every test headless.
set -euo pipefail
cd "$(dirname "$0")/../build"
export QT_QPA_PLATFORM=offscreen
ctest --output-on-failure -j2
