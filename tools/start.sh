#!/usr/bin/env bash
# Builds VarnokTerm (installing its Debian packages first) and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

# Scripts run in Qt's JavaScript engine (qt6-declarative-dev).
bash tools/install-deps.sh build-essential cmake ninja-build qt6-base-dev qt6-serialport-dev \
    qt6-declarative-dev fonts-liberation2 qt6-qpa-plugins
# Capture > Publish to MQTT uses Mosquitto's client library.
bash tools/install-deps.sh libmosquitto-dev
# The translations built into the program (lrelease and Qt's CMake functions
# for it), and Qt's own German texts.
bash tools/install-deps.sh qt6-l10n-tools qt6-tools-dev qt6-translations-l10n
# The Terminal receive format interprets escape sequences with libvterm.
bash tools/install-deps.sh libvterm-dev
# File > Send File and Receive File by XMODEM, YMODEM and ZMODEM run lrzsz's programs.
bash tools/install-deps.sh lrzsz
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARNOK_BUILD_TESTS=OFF
# Only the program: the first window comes without waiting for the demo peer
# (`cmake --build build --target varnok-demo-peer` when wanted), the other
# tools and the package's files.
cmake --build build --target varnokterm
exec ./build/src/app/varnokterm "$@"
