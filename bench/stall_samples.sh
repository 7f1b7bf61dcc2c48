#!/usr/bin/env bash
# Whether the window's thread ran during the 8 GB fill's longest stalls: runs
# `varnok-bench --only spill` under perf (Debian's linux-perf) sampling every
# thread 1000 times a second on the steady clock the rows print, then counts
# the window thread's samples inside each fill's longest stall. A thread at
# work is sampled about once a millisecond; one that the machine stopped (a
# virtual processor its host took away) is not, although the time still
# counts to it as "user" in the row. Prints the fill rows as the benchmark
# printed them, then a line for each.
#
# Usage: bash bench/stall_samples.sh [BUILD_DIR]
set -euo pipefail
build="${1:-build-bench}"
data="$(mktemp)"
rows="$(mktemp)"
trap 'rm -f "$data" "$rows"' EXIT
QT_QPA_PLATFORM=offscreen perf record -q -k CLOCK_MONOTONIC -F 1000 -o "$data" \
    "$build/bench/varnok-bench" --only spill 2>/dev/null | grep '^| longest window stall while a 127' >"$rows"
cat "$rows"
perf script -i "$data" -F pid,tid,time 2>/dev/null | python3 -c '
import re, sys
samples = []
for line in sys.stdin:
    found = re.match(r"\s*(\d+)/(\d+)\s+([0-9.]+):", line)
    if found and found.group(1) == found.group(2):  # the main thread: the window
        samples.append(float(found.group(3)))
samples.sort()
for row in open(sys.argv[1]):
    cells = row.split("|")
    span = re.search(r"steady clock ([0-9.]+) s to ([0-9.]+) s", cells[2])
    if not span:
        continue
    start, end = float(span.group(1)), float(span.group(2))
    inside = sum(start <= t <= end for t in samples)
    before = sum(start - 0.1 <= t < start for t in samples)
    near = [t for t in samples if start - 0.01 <= t <= end + 0.01]
    gap = max((b - a for a, b in zip(near, near[1:])), default=0)
    print(f"{cells[1].strip()}: {1000 * (end - start):.1f} ms; the window thread sampled "
          f"{inside} times in it, {before} times in the 100 ms before; its longest time "
          f"without a sample around it {1000 * gap:.1f} ms")
' "$rows"
