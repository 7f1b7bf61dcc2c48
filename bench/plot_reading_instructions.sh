#!/usr/bin/env bash
# Instructions per line of plotting's reading (ChannelPlot::receive and all it
# calls), counted by callgrind over the plot benchmark's key=value lines: a
# count that stays put from run to run, where the timed rows move with the
# machine, so a change to the number finder or the store can be weighed.
#
# Usage: bash bench/plot_reading_instructions.sh [BUILD_DIR]   (needs valgrind)
set -euo pipefail
build="${1:-build-bench}"
out="$(mktemp)"
trap 'rm -f "$out"' EXIT
lines=$(QT_QPA_PLATFORM=offscreen VARNOK_PLOT_PART=reading \
    valgrind --tool=callgrind --callgrind-out-file="$out" --toggle-collect='ChannelPlot::receive*' \
    "$build/bench/varnok-bench" --only plot 2>/dev/null |
    awk -F'|' '/lines read/ { gsub(/ /, "", $3); print $3 }')
instructions=$(callgrind_annotate "$out" 2>/dev/null | awk '/PROGRAM TOTALS/ { gsub(/,/, "", $1); print $1 }')
echo "plotting's reading: $instructions instructions over $lines lines," \
    "$((instructions / lines)) a line"
