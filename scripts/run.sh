#!/usr/bin/env bash
# Installs what is missing, builds the release configuration and starts the tool.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
build=${BUILD_DIR:-build/release}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)"
exec "$build/bin/setupkvt" "$@"
