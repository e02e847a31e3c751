#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test with CTest.
#   ./test.sh              the ordinary build (build/)
#   ./test.sh --sanitize   the same suite built with AddressSanitizer and
#                          UndefinedBehaviorSanitizer (build-asan/)
# Other arguments go to ctest (e.g. ./test.sh -R editor).
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
dir="$root/build"
options=()
if [ "${1:-}" = "--sanitize" ]; then
    shift
    dir="$root/build-asan"
    options=(-DVARNEL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
    export LSAN_OPTIONS="suppressions=$root/tests/support/lsan.supp:print_suppressions=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
fi
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$dir" "${options[@]}"
cd "$dir"
ctest --output-on-failure --parallel "$(nproc)" "$@"
