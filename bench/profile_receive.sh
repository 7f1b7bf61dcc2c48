#!/usr/bin/env bash
# Where the receive path's processor time goes: profiles one case of the
# "end-to-end CPU per MB" benchmark with perf (Debian's linux-perf) and
# prints each stage's share of the window thread's samples while the flood
# runs, as a Markdown table.
#
# Usage: bash bench/profile_receive.sh [pty-ascii|pty-hex|tcp-ascii|tcp-hex] [BUILD_DIR]
# One run by default, a first one whose fresh memory costs more; with
# VARNOK_CPU_ROUNDS=3 most samples are of runs after it.
set -euo pipefail
case_name="${1:-pty-ascii}"
build="${2:-build-bench}"
here="$(cd "$(dirname "$0")" && pwd)"
data="$(mktemp)"
trap 'rm -f "$data"' EXIT
export QT_QPA_PLATFORM=offscreen VARNOK_CPU_CASE="$case_name"
perf record -q -F 2000 --call-graph dwarf,16384 -o "$data" "$build/bench/varnok-bench" --only cpu >/dev/null
window_thread=$(perf report -i "$data" --sort pid --stdio -g none 2>/dev/null |
    awk '/%/ { split($3, id, ":"); print id[1]; exit }')
echo "Profile of $case_name (the window's thread, $window_thread):"
perf script -i "$data" -F comm,tid,ip,sym 2>/dev/null | python3 "$here/receive_stages.py" "$window_thread"
