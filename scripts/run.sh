#!/usr/bin/env bash
# Starts the program from the build tree. It runs in its own folder, where the default
# sounds "end.wav" and "stop.wav" are looked for.
set -euo pipefail
cd "$(dirname "$0")/../build/bin"
exec ./raffle
