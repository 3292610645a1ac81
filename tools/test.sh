#!/usr/bin/env bash
# Installs what the tests need, builds, and runs the whole test suite.
#   tools/test.sh              normal build in build/
#   tools/test.sh --sanitize   AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan/
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh

build_dir=build
options=()
if [ "${1:-}" = "--sanitize" ]; then
    build_dir=build-asan
    options=(-DPLUGSWEEP_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
    # Plug-ins fault on purpose; the scanner's own handler turns those into
    # exceptions, so the sanitizer must let it.
    export ASAN_OPTIONS=allow_user_segv_handler=1:handle_segv=0:handle_sigbus=0:handle_sigfpe=0:handle_sigill=0:detect_leaks=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    export LSAN_OPTIONS=suppressions=$PWD/tools/lsan-suppressions.txt
fi
tools/build.sh "$build_dir" "${options[@]}"
# No display is needed: every test runs Qt on its offscreen platform.
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)" --timeout 600
