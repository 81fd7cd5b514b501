#!/usr/bin/env bash
# Configures and builds the program, its tests and benchmarks in build/ (bin/ and DB/ side by
# side). Warnings are errors, as in CI; RAFFLE_WERROR=OFF in the environment relaxes that.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRAFFLE_WERROR="${RAFFLE_WERROR:-ON}" >/dev/null
cmake --build build -j"$(nproc)"
