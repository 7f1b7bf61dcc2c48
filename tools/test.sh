#!/usr/bin/env bash
# Builds VarnokTerm and runs every test (installing the Debian packages they
# need first): the suite as built normally, then again under AddressSanitizer
# and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh build-essential cmake ninja-build qt6-base-dev qt6-serialport-dev qt6-declarative-dev \
    fonts-liberation2 qt6-qpa-plugins poppler-utils desktop-file-utils dpkg-dev file
# The translations: lrelease (qt6-l10n-tools) and Qt's CMake functions for it
# (qt6-tools-dev); Qt's own German texts (qt6-translations-l10n).
bash tools/install-deps.sh qt6-l10n-tools qt6-tools-dev qt6-translations-l10n
# For the packaging test: lintian and appstreamcli (package appstream) check
# the package, man (package man-db) shows its man pages.
bash tools/install-deps.sh lintian appstream man-db
# The sanitizer pass builds with clang (and its sanitizer runtime).
bash tools/install-deps.sh clang libclang-rt-14-dev
# The Terminal receive format interprets escape sequences with libvterm.
bash tools/install-deps.sh libvterm-dev
# For the RFC 2217 tests and benchmark: a real server for a pseudo-terminal.
bash tools/install-deps.sh ser2net
# Publishing to MQTT builds on Mosquitto's client library; its tests and
# benchmark run Debian's mosquitto broker on 127.0.0.1 (docs/development.md).
bash tools/install-deps.sh libmosquitto-dev mosquitto
# For the file-transfer tests and benchmark: XMODEM, YMODEM and ZMODEM's
# programs on both sides (docs/file-transfer.md).
bash tools/install-deps.sh lrzsz

jobs=$(nproc) # one more made the plain build slower here (6.1 instead of 5.6 minutes)
# Most tests wait on devices, sockets and timers rather than compute: three
# at a time per core halves the suite's time here and keeps it stable.
test_jobs=$(($(nproc) * 3))

echo "== Build and test"
# Debug keeps every check; line tables (-g1) are all the debug information
# a failing test's trace needs, and they halve what the linker writes. The
# fuzz targets' corpora are replayed in the sanitizer pass only, where a
# fault they reach is reported: twelve programs fewer to build here.
cmake -S . -B build-tests -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 \
    -DVARNOK_FUZZ_REPLAY=OFF
cmake --build build-tests -j"$jobs"
# Most tests wait on devices, sockets and timers, so the plain pass's tests
# run while the sanitizer pass builds, which keeps both cores busy; their
# report is shown once they end. The build runs at a lower priority (nice),
# so a test that needs the processor gets it as if it ran alone.
plain_log=build-tests/ctest.log
(cd build-tests && ctest --output-on-failure -j"$test_jobs") >"$plain_log" 2>&1 &
plain_tests=$!
# Should the sanitizer pass fail to build, the script still waits for these
# tests and shows their report before it ends.
show_plain_tests() {
    local status=0
    wait "$plain_tests" || status=$?
    echo "== Tests of the plain build"
    cat "$plain_log"
    return "$status"
}
trap 'show_plain_tests || true' EXIT

echo "== Build and test with AddressSanitizer and UndefinedBehaviorSanitizer"
# clang compiles this code about 40% faster than g++ with the sanitizers on
# (the pass's build: 4.5 instead of 6.3 minutes here), and a second compiler
# checks the code. gold links its sixty-odd programs in half the time of the
# default linker.
CC=clang CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVARNOK_SANITIZE=ON \
    -DCMAKE_CXX_FLAGS_DEBUG=-gline-tables-only -DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=gold
nice -n 10 cmake --build build-asan -j"$jobs"
trap - EXIT
show_plain_tests
# The packaging tests check the package's and the install's files, which the
# plain build has made: a package of sanitized programs would prove nothing.
(cd build-asan && ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --output-on-failure -j"$test_jobs" --label-exclude packaging)
