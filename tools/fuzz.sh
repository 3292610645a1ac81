#!/usr/bin/env bash
# Builds the fuzz targets of the XML readers in build-fuzz/ (clang with
# libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer) and runs each for
# RUNS inputs. Fails on the first crash, hang, leak or sanitizer report; the
# input that caused it lands in build-fuzz/artifacts/.
#   tools/fuzz.sh [RUNS]     default 1000000
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-1000000}

tools/install-deps.sh
if ! command -v clang++-14 >/dev/null; then
    run() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
    DEBIAN_FRONTEND=noninteractive run apt-get install -y -qq --no-install-recommends clang-14 </dev/null
fi
CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DPLUGSWEEP_FUZZ=ON -DPLUGSWEEP_TESTS=OFF >/dev/null
cmake --build build-fuzz --target fuzzers -j "$(nproc)"

export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tools/lsan-suppressions.txt
# The input file is rewritten for every run: keep it in memory.
[ -d /dev/shm ] && export TMPDIR=/dev/shm
metadata="Core/BaseLib/AudioPlugins/Plugin Metadata"
mkdir -p build-fuzz/artifacts build-fuzz/logs
for target in tests/fuzz/seeds/*/; do
    name=$(basename "$target")
    corpus=build-fuzz/corpus/$name
    mkdir -p "$corpus"
    echo "== $name: $runs runs"
    start=$SECONDS
    # The first folder gathers what the run finds; the others only seed it.
    if ! build-fuzz/fuzz/"$name" -runs="$runs" -max_len=4096 -timeout=10 -print_final_stats=1 \
        -dict=tests/fuzz/xml.dict -artifact_prefix=build-fuzz/artifacts/"$name"- \
        "$corpus" "$target" "$metadata" >build-fuzz/logs/"$name".log 2>&1; then
        tail -n 40 build-fuzz/logs/"$name".log
        echo "== $name FAILED (log: build-fuzz/logs/$name.log)"
        exit 1
    fi
    grep -E '^#[0-9]+.*(DONE|INITED)|stat::(number_of_executed_units|average_exec_per_sec|new_units_added)' \
        build-fuzz/logs/"$name".log
    echo "== $name passed in $((SECONDS - start)) s"
done
