#!/usr/bin/env bash
# Builds the program and its tests with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-sanitize/ and runs every test there, headless. (Warnings are checked by the normal
# build: with the sanitizers GCC warns of array bounds where the code checks them.)
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRAFFLE_SANITIZE=ON -DRAFFLE_WERROR=OFF \
    -DRAFFLE_BUILD_BENCH=OFF >/dev/null
cmake --build build-sanitize -j"$(nproc)"
cd build-sanitize
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export LSAN_OPTIONS="suppressions=$PWD/../scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --output-on-failure -j2
