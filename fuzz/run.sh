#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz and runs each for a
# while, printing how many inputs it tried.
#   fuzz/run.sh [seconds per target] [target...]
# Default: 60 seconds for each of the four targets. New inputs found go to
# <build>/corpus/<target>, crashes to <build>/artifacts/<target>/; the seed
# corpus in fuzz/corpus is only read. VARNOK_FUZZ_BUILD names another build
# folder than build-fuzz.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(fuzz_leading_number fuzz_line_settings fuzz_hex_entry fuzz_receive_paths)
fi

bash tools/install-deps.sh build-essential cmake ninja-build qt6-base-dev qt6-serialport-dev \
    clang libclang-rt-14-dev
build=${VARNOK_FUZZ_BUILD:-build-fuzz}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DVARNOK_BUILD_FUZZ=ON -DVARNOK_BUILD_TESTS=OFF -DVARNOK_BUILD_TOOLS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

status=0
summary=()
for target in "${targets[@]}"; do
    work="$build/corpus/$target"
    artifacts="$build/artifacts/$target/"
    mkdir -p "$work" "$artifacts"
    log="$build/$target.log"
    echo "== $target for ${seconds}s"
    if "$build/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$artifacts" "$work" "fuzz/corpus/$target" >"$log" 2>&1; then
        result=ok
    else
        result="FAILED (see $log and $artifacts)"
        status=1
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n1)
    if [ -z "$runs" ]; then
        runs=$(grep -o '#[0-9]*' "$log" | tail -n1 | tr -d '#')
    fi
    summary+=("$(printf '%-22s %12s executions  %s' "$target" "${runs:-?}" "$result")")
    tail -n 3 "$log"
done

echo
echo "== Summary"
printf '%s\n' "${summary[@]}"
exit $status
