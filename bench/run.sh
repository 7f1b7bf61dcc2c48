#!/usr/bin/env bash
# Builds the benchmark in Release and prints its table. --quick: small sizes;
# --only NAME: one section (--only huge: the 8 GB pane; --only headless: a headless run for
# --headless-seconds N, 600 by default; neither is in the regular run).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh build-essential cmake ninja-build qt6-base-dev qt6-serialport-dev \
    fonts-liberation2 qt6-qpa-plugins ser2net libvterm-dev libmosquitto-dev mosquitto
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARNOK_BUILD_BENCH=ON \
    -DVARNOK_BUILD_TESTS=OFF
cmake --build build-bench --target varnok-bench
echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs), $(date -u +%F)"
./build-bench/bench/varnok-bench "$@"
