#!/usr/bin/env bash
# Builds VarnokTerm (installing its Debian packages first) and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

# help2man makes the man pages the Debian package carries (see the README).
bash tools/install-deps.sh build-essential cmake ninja-build qt6-base-dev qt6-serialport-dev qt6-declarative-dev \
    fonts-liberation2 qt6-qpa-plugins help2man
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARNOK_BUILD_TESTS=OFF
# The program, its icons and the demo peer (see "Try it in a minute").
cmake --build build
exec ./build/src/app/varnokterm "$@"
