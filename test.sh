#!/usr/bin/env bash
# Installs what is missing, builds Tessivar and runs every test through ctest.
# Usage: ./test.sh [--sanitize] [ctest options...]
#   --sanitize   build into build-asan with AddressSanitizer and UndefinedBehaviorSanitizer
set -euo pipefail
cd "$(dirname "$0")"
source scripts/common.sh

dir=build
options=()
if [ "${1:-}" = "--sanitize" ]; then
    shift
    dir=build-asan
    options+=(-DTESSIVAR_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DTESSIVAR_BENCH=OFF)
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
fi
[ "${TESSIVAR_WERROR:-OFF}" = ON ] && options+=(-DTESSIVAR_WERROR=ON)

ensure_packages
configure_build "$dir" "${options[@]}"
build "$dir"
say "Running the tests in $dir"
export QT_QPA_PLATFORM=offscreen
cd "$dir"
ctest --output-on-failure -j "$(nproc)" "$@"
