#!/usr/bin/env bash
# System calls of one run of a case of the "end-to-end CPU per MB" benchmark,
# per MB of its text: how often the window's thread waits in poll (its
# wake-ups) and how many reads it makes, against the pty's 4 KB a read.
# Counted by the kernel's own tracepoints (perf stat, Debian's linux-perf);
# the benchmark's writer only writes, so the reads and polls are the
# program's. Run as root (the tracepoints are the kernel's).
#
# Usage: bash bench/receive_syscalls.sh [pty-ascii|pty-hex|tcp-ascii|tcp-hex] [BUILD_DIR]
set -euo pipefail
case_name="${1:-pty-ascii}"
build="${2:-build-bench}"
megabytes=32 # the case's text
QT_QPA_PLATFORM=offscreen VARNOK_CPU_CASE="$case_name" VARNOK_CPU_ROUNDS=1 \
    perf stat -x, -e syscalls:sys_enter_read,syscalls:sys_enter_poll \
    "$build/bench/varnok-bench" --only cpu 2>&1 >/dev/null |
    awk -F, -v mb="$megabytes" -v name="$case_name" '
        /sys_enter_read/ { reads = $1 }
        /sys_enter_poll/ { polls = $1 }
        END {
            printf "%s, one run of %d MB: %d reads (%.1f a MB), %d polls (%.1f a MB)\n",
                name, mb, reads, reads / mb, polls, polls / mb
        }'
