#!/usr/bin/env bash
# Builds the libFuzzer programs with Clang and runs each for a given time.
#
#   fuzz/run.sh [-t SECONDS] [-j PARALLEL] [-b BUILD_JOBS] [TARGET...]
#
# -t  time per target (default 600); -j  targets run at once (default 3);
# -b  build jobs (default 4). Without targets, all of them run.
# Each target works on build/fuzz/corpus/<target>, seeded from fuzz/corpus/<target> and the
# bad-input fixtures; findings go to build/fuzz/findings/<target>/, logs to build/fuzz/logs/.
# A finding is kept as a file: replay it with  build/fuzz/bin/fuzz_<target> <file>.
set -euo pipefail

seconds=600
parallel=3
jobs=4
while getopts "t:j:b:h" opt; do
  case $opt in
    t) seconds=$OPTARG ;;
    j) parallel=$OPTARG ;;
    b) jobs=$OPTARG ;;
    *) sed -n '2,12p' "$0"; exit 2 ;;
  esac
done
shift $((OPTIND - 1))

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/fuzz
all=(settings language device memtable streams filter ini numbers)
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=("${all[@]}")

CC=${CC:-clang} CXX=${CXX:-clang++} cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKVT_FUZZ=ON -DKVT_TESTS=OFF -DKVT_BENCH=OFF >/dev/null
cmake --build "$build" -j "$jobs" --target "${targets[@]/#/fuzz_}"

mkdir -p "$build/logs"
run() {
  local t=$1
  local corpus=$build/corpus/$t findings=$build/findings/$t
  mkdir -p "$corpus" "$findings"
  cp -n "$root/fuzz/corpus/$t/"* "$corpus/" 2>/dev/null || true
  local prefix=$t
  case $t in device) prefix=link ;; streams) prefix=streams ;; esac
  cp -n "$root/tests/data/bad-input/$prefix"-* "$corpus/" 2>/dev/null || true
  local rc=0
  QT_QPA_PLATFORM=offscreen LANG=C.UTF-8 ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 \
    "$build/bin/fuzz_$t" "$corpus" -max_total_time="$seconds" -max_len=8192 -timeout=30 \
    -rss_limit_mb=3072 -detect_leaks=0 -print_final_stats=1 -artifact_prefix="$findings/" \
    >"$build/logs/$t.log" 2>&1 || rc=$?
  local found
  found=$(find "$findings" -type f | wc -l)
  echo "$t: exit $rc, $(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$build/logs/$t.log" | grep -o '[0-9]*$' || echo '?') runs, $found finding(s)"
  return 0
}

running=0
for t in "${targets[@]}"; do
  run "$t" &
  running=$((running + 1))
  if [ "$running" -ge "$parallel" ]; then
    wait -n
    running=$((running - 1))
  fi
done
wait
