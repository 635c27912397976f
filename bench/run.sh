#!/bin/sh
# Builds the benchmark program, makes the synthetic data (once) and prints the
# timings as a Markdown table, with the machine they were taken on.
#   ./bench/run.sh [REPETITIONS [device]]
# REPETITIONS defaults to 5; the median is reported. "device" measures the
# device rows alone (and makes only the device files).
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
cmake --build "$BUILD" --target fbm_bench --parallel 2 >/dev/null

if [ "$ONLY" = device ]; then
    mkdir -p "$DATA"
elif [ ! -f "$DATA/complete" ]; then
    rm -rf "$DATA"
    mkdir -p "$DATA"
    "$BUILD/bench/fbm_bench" data "$DATA"
    touch "$DATA/complete"
fi
# The device twins came later than the rest of the data.
[ -f "$DATA/device100k-twin.xml" ] || "$BUILD/bench/fbm_bench" data "$DATA" device

echo "Machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores," \
     "$(free -g | awk '/Mem:/ {print $2}') GiB, $(uname -sr), Qt $(pkg-config --modversion Qt6Core 2>/dev/null || echo 6)," \
     "$(g++ --version | head -n1), $(df -T "$DATA" | awk 'NR==2 {print $2}') file system"
echo "Command: ./bench/run.sh $REPS $ONLY (median of $REPS runs after one warm-up run)"
echo
"$BUILD/bench/fbm_bench" measure "$DATA" "$REPS" $ONLY
