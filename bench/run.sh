#!/bin/sh
# Builds the benchmark program, makes the synthetic data (once) and prints the
# timings as a Markdown table, with the machine they were taken on. Ours and
# the standard tool run in turns, round by round; medians and their ratios.
# With Xvfb installed, it also measures start to visible window.
#   ./bench/run.sh [REPETITIONS [device|start]]
# REPETITIONS defaults to 5; the median is reported. "device" measures the
# device rows alone, "start" start to visible window alone (and each makes
# only the data it needs).
# The build and the data go to build-bench/ (FBM_BENCH_BUILD, FBM_BENCH_DATA).
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${FBM_BENCH_BUILD:-$ROOT/build-bench}
DATA=${FBM_BENCH_DATA:-$BUILD/data}
REPS=${1:-5}
ONLY=${2:-}

for tool in cmake g++ find cp xmllint; do
    command -v "$tool" >/dev/null || { echo "missing: $tool (apt-get install libxml2-utils for xmllint)" >&2; exit 1; }
done

cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFBM_BUILD_BENCH=ON >/dev/null
cmake --build "$BUILD" --target fbm_bench fbmanager --parallel 2 >/dev/null

# Data of an older version of this script is kept and completed.
mkdir -p "$DATA"
if [ -n "$ONLY" ]; then
    "$BUILD/bench/fbm_bench" data "$DATA" "$ONLY"
elif [ ! -f "$DATA/complete-3" ]; then
    "$BUILD/bench/fbm_bench" data "$DATA"
    touch "$DATA/complete-3"
fi

if [ -z "${FBM_BENCH_TMP:-}" ] && [ -w /dev/shm ]; then
    export FBM_BENCH_TMP=/dev/shm/fbm-bench-$$
    mkdir -p "$FBM_BENCH_TMP"
fi
cleanup() {
    [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null
    case "${FBM_BENCH_TMP:-}" in /dev/shm/fbm-bench-*) rm -rf "$FBM_BENCH_TMP" ;; esac
}
trap cleanup EXIT

if [ "$ONLY" = device ]; then
    :
elif command -v Xvfb >/dev/null; then
    # A display of its own: the server picks a free number and reports it.
    displayfile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1366x768x24 -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 &
    xvfb=$!
    for _ in 1 2 3 4 5 6 7 8 9 10; do [ -s "$displayfile" ] && break; sleep 0.5; done
    export DISPLAY=":$(cat "$displayfile")" FBM_BENCH_PROGRAM="$BUILD/bin/fbmanager"
    rm -f "$displayfile"
else
    echo "Xvfb not installed (apt-get install xvfb): start to visible window is not measured" >&2
fi

echo "Machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores," \
     "$(free -g | awk '/Mem:/ {print $2}') GiB, $(uname -sr), Qt $(pkg-config --modversion Qt6Core 2>/dev/null || echo 6)," \
     "$(g++ --version | head -n1), $(df -T "$DATA" | awk 'NR==2 {print $2}') file system" \
     "(first start targets: $(df -T "${FBM_BENCH_TMP:-$DATA}" | awk 'NR==2 {print $2}'))"
echo "Command: ./bench/run.sh $REPS${ONLY:+ $ONLY} (median of $REPS rounds after one warm-up round)," \
     "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
"$BUILD/bench/fbm_bench" measure "$DATA" "$REPS" $ONLY
echo
echo "Load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
