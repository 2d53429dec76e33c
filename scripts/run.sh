#!/usr/bin/env bash
# Builds the tool (and, with --simulator, the device simulator) and starts it.
#
#   scripts/run.sh                      the tool, on the first FTDI USB-serial adapter
#   scripts/run.sh --simulator [-- OPTIONS]
#                                       the simulated device and the tool together; OPTIONS go
#                                       to kvt-devsim (docs/devsim.md), e.g. -- --blocks 1,3
set -euo pipefail
cd "$(dirname "$0")/.."

simulator=0
devsim_args=()
while (($#)); do
  case "$1" in
    --simulator) simulator=1 ;;
    --) shift; devsim_args=("$@"); break ;;
    -h|--help) sed -n '2,7p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "run.sh: unknown option $1 (see --help)" >&2; exit 2 ;;
  esac
  shift
done

# The tool is a desktop program; without a display it would wait for nothing.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: no display: DISPLAY is not set. Start the tool in a graphical session," >&2
  echo "        or under a virtual X server: xvfb-run -a scripts/run.sh --simulator" >&2
  exit 1
fi

scripts/setup.sh
build=${BUILD_DIR:-build/release}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKVT_TESTS=OFF -DKVT_BENCH=OFF >/dev/null
targets=(setupkvt)
((simulator)) && targets+=(kvt-devsim)
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"

if ((simulator == 0)); then
  exec "$build/bin/setupkvt"
fi

port=$(mktemp -u "${TMPDIR:-/tmp}/kvt-device.XXXXXX")
"$build/bin/kvt-devsim" --link "$port" "${devsim_args[@]}" >/dev/null &
devsim=$!
trap 'kill "$devsim" 2>/dev/null || true; wait "$devsim" 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  [ -e "$port" ] && break
  kill -0 "$devsim" 2>/dev/null || { echo "run.sh: the simulator did not start" >&2; exit 1; }
  sleep 0.05
done
echo "run.sh: simulated device on $port; in the tool start with «Загрузить → Устройство»." >&2
KVT_SERIAL_PORT=$port "$build/bin/setupkvt"
