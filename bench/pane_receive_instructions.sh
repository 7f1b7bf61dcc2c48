#!/usr/bin/env bash
# Instructions per MB of the pane's own work on a pty flood of ASCII lines:
# laying the lines out into rows (PaneLayout::append) and taking the bytes
# in with their line index (PaneText::append), counted by callgrind over one
# run of the benchmark's pty ASCII case. A count that stays put from run to
# run, where the timed rows move with the machine, so a change to either can
# be weighed.
#
# Usage: bash bench/pane_receive_instructions.sh [BUILD_DIR]   (needs valgrind)
set -euo pipefail
build="${1:-build-bench}"
out="$(mktemp)"
trap 'rm -f "$out"*' EXIT
QT_QPA_PLATFORM=offscreen VARNOK_CPU_CASE=pty-ascii VARNOK_CPU_ROUNDS=1 \
    valgrind --tool=callgrind --callgrind-out-file="$out" \
    "$build/bench/varnok-bench" --only cpu >/dev/null 2>&1
megabytes=32 # the case's text
callgrind_annotate --inclusive=yes "$out" 2>/dev/null | awk -v mb="$megabytes" '
    function count(text) { gsub(/,/, "", text); return text + 0 }
    /PaneLayout::append\(PaneText const&\)/ && !layout { layout = count($1) }
    /PaneText::append\(QByteArrayView, long long\)/ && !taken { taken = count($1) }
    END {
        printf "laying out: %d instructions per MB; taking in and indexing: %d per MB\n",
            layout / mb, taken / mb
    }'
