#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz and runs each for a
# while, printing how many inputs it tried.
#   fuzz/run.sh [seconds per target] [target...]
# Default: 60 seconds for each target listed in fuzz/CMakeLists.txt.
# VARNOK_FUZZ_JOBS targets run at once (default 1). New inputs found go to
# <build>/corpus/<target>, crashes to <build>/artifacts/<target>/; the seed
# corpus in fuzz/corpus is only read. VARNOK_FUZZ_BUILD names another build
# folder than build-fuzz.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
targets=("$@")
jobs=${VARNOK_FUZZ_JOBS:-1}

bash tools/install-deps.sh build-essential cmake ninja-build qt6-base-dev qt6-serialport-dev \
    clang libclang-rt-14-dev
build=${VARNOK_FUZZ_BUILD:-build-fuzz}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DVARNOK_BUILD_FUZZ=ON -DVARNOK_BUILD_TESTS=OFF -DVARNOK_BUILD_TOOLS=OFF >/dev/null
if [ ${#targets[@]} -eq 0 ]; then
    # The list the build just wrote out of fuzz/CMakeLists.txt.
    mapfile -t targets <"$build/fuzz/targets.txt"
fi
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

# Runs one target; its summary line goes to <build>/<target>.summary.
run_target() {
    local target=$1
    local work="$build/corpus/$target"
    local artifacts="$build/artifacts/$target/"
    local log="$build/$target.log"
    mkdir -p "$work" "$artifacts"
    local result=ok
    if ! "$build/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$artifacts" "$work" "fuzz/corpus/$target" >"$log" 2>&1; then
        result="FAILED (see $log and $artifacts)"
    fi
    local runs rate
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n1)
    if [ -z "$runs" ]; then
        runs=$(grep -o '#[0-9]*' "$log" | tail -n1 | tr -d '#')
    fi
    printf '%-22s %12s executions %8s/s  %s\n' "$target" "${runs:-?}" "${rate:-?}" "$result" \
        >"$build/$target.summary"
}

for ((i = 0; i < ${#targets[@]}; i += jobs)); do
    batch=("${targets[@]:i:jobs}")
    echo "== ${batch[*]} for ${seconds}s"
    for target in "${batch[@]}"; do
        run_target "$target" &
    done
    wait
done

echo
echo "== Summary"
status=0
for target in "${targets[@]}"; do
    cat "$build/$target.summary"
    grep -q FAILED "$build/$target.summary" && status=1
done
exit $status
