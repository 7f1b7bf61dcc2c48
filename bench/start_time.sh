#!/usr/bin/env bash
# Start-time benchmark: the first window from a fresh clone, with the Debian
# packages already present (as after one run of tools/start.sh).
#
# Clones this repository's committed HEAD into a temporary folder, runs
# tools/start.sh there (its package check, its Release build of the program)
# and lets it start the program with VARNOK_QUIT_WHEN_SHOWN set, so the
# program ends once its first window is painted. The time is wall-clock
# from the clone to that moment; nothing is cached between runs
# (no ccache: start.sh builds as a new user's checkout does).
#
# Usage: bash bench/start_time.sh        (prints one table row and the verdict)
set -euo pipefail
source_tree="$(cd "$(dirname "$0")/.." && pwd)"
goal_seconds=60

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Without a display the window is painted offscreen, which takes the same path.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    export QT_QPA_PLATFORM=offscreen
fi
export VARNOK_QUIT_WHEN_SHOWN=1

start=$(date +%s.%N)
git clone --quiet "$source_tree" "$work/varnokterm"
# Processor time of everything start.sh ran (the build, mostly), user and system.
TIMEFORMAT='%U %S'
{ time (cd "$work/varnokterm" && bash tools/start.sh >"$work/start.log" 2>&1); } 2>"$work/cpu" || {
    cat "$work/start.log" >&2
    echo "start_time: tools/start.sh failed" >&2
    exit 1
}
end=$(date +%s.%N)
read -r user_seconds system_seconds <"$work/cpu"

if ! grep -q "first window shown" "$work/start.log"; then
    cat "$work/start.log" >&2
    echo "start_time: the program ended without showing its window" >&2
    exit 1
fi

awk -v start="$start" -v end="$end" -v goal="$goal_seconds" -v cores="$(nproc)" \
    -v user="$user_seconds" -v sys="$system_seconds" 'BEGIN {
    seconds = end - start
    verdict = seconds <= goal ? "yes" : "no"
    print "| measure | result | goal | met |"
    print "|---|---|---|---|"
    printf "| first window from a fresh clone, packages present (%d cores) | %.1f s (processor time %.0f s user, %.0f s system) | <= %d s | %s |\n",
           cores, seconds, user, sys, goal, verdict
}'
