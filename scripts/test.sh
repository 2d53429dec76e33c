#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and UndefinedBehaviorSanitizer,
# and runs every test. Extra arguments go to ctest (e.g. -R Variant).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
build=${BUILD_DIR:-build/asan}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKVT_SANITIZE=ON >/dev/null
cmake --build "$build" -j "$(nproc)"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LANG=C.UTF-8
# The set-up installed Xvfb, xdotool and xwd: the X smoke test must not skip here.
export KVT_REQUIRE_X11=1
cd "$build"
ctest --output-on-failure -j "$(nproc)" --timeout 600 "$@"
