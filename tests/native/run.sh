#!/usr/bin/env bash
# Builds the platform-free parts for this machine with the address and undefined-behaviour
# sanitizers and runs their tests; the first report fails the run.
#   run.sh BUILD_DIR
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
cmake -S "$here" -B "$1" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$1" >/dev/null
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:exitcode=23
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:exitcode=24
exec "$1/native_tests" --gtest_brief=1
