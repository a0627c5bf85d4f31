#!/bin/sh
# Builds the fuzz targets of fuzz/ with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs each for SECONDS (default 60) on one core.
# Ends non-zero at the first target that finds a failure, naming the reproducer;
# replay one with: build-fuzz/fuzz/fuzz_<target> <reproducer>
#     scripts/fuzz.sh [SECONDS]
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-60}
./scripts/install-deps.sh clang libclang-rt-14-dev
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTALLIVO_FUZZ=ON -DTALLIVO_BUILD_TESTS=OFF -DTALLIVO_BUILD_GUI=OFF >/dev/null
targets="check mask seal settings verify"
cmake --build build-fuzz -j"$(nproc)" --target $(for t in $targets; do printf 'fuzz_%s ' "$t"; done)

status=0
for t in $targets; do
    corpus=build-fuzz/corpus/$t
    artifacts=build-fuzz/artifacts/$t/
    mkdir -p "$corpus" "$artifacts"
    dict=""
    case $t in
    check|mask|seal) dict=-dict=fuzz/payment.dict ;;
    settings) dict=-dict=fuzz/settings.dict ;;
    esac
    echo "== fuzz_$t for ${seconds}s"
    log=build-fuzz/fuzz_$t.log
    if build-fuzz/fuzz/fuzz_$t -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$artifacts" $dict "$corpus" "fuzz/seeds/$t" >"$log" 2>&1; then
        grep -E 'stat::number_of_executed_units|DONE' "$log" | sed 's/^/   /'
    else
        tail -n 40 "$log"
        reproducer=$(grep -oE 'Test unit written to [^ ]+' "$log" | tail -n 1 | sed 's/Test unit written to //')
        echo "fuzz_$t FAILED; reproducer: ${reproducer:-see $log}"
        echo "replay: build-fuzz/fuzz/fuzz_$t ${reproducer:-<reproducer>}"
        status=1
        break
    fi
done
exit $status
