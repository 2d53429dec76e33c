#!/usr/bin/env bash
# Installs what is missing, builds the release configuration and starts the tool.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
build=${BUILD_DIR:-build/release}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)"
if [ -x "$build/bin/setupkvt" ]; then
  exec "$build/bin/setupkvt" "$@"
fi
# The main window does not exist yet: run the platform layer's test programs instead.
status=0
for t in rtl classes db ui serial; do
  prog="$build/bin/${t}_tests"
  [ -x "$prog" ] || continue
  echo "== $prog"
  QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$prog" --gtest_brief=1 || status=1
done
exit $status
