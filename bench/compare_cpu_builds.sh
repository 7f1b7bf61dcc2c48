#!/usr/bin/env bash
# Compares the receive path's processor time of two builds: runs their
# `varnok-bench --only cpu` alternately, B then A, RUNS times each, counting
# the window's thread alone (VARNOK_CPU_CLOCK=thread; builds from before the
# benchmark counted every thread count that thread anyway), and prints the
# medians of each case's "after" figure and their ratio as a Markdown table.
#
# Usage: bash bench/compare_cpu_builds.sh BENCH_B BENCH_A [RUNS]
set -euo pipefail
before="$1"
after="$2"
runs="${3:-15}"
export QT_QPA_PLATFORM=offscreen VARNOK_CPU_CLOCK=thread
figures="$(mktemp)"
trap 'rm -f "$figures"' EXIT
echo "start $(date -u +%H:%M:%S) UTC, load average $(cut -d' ' -f1-3 /proc/loadavg)"
for _ in $(seq 1 "$runs"); do
    for build in B A; do
        program="$before"
        [ "$build" = A ] && program="$after"
        "$program" --only cpu 2>/dev/null | grep "end-to-end" | sed "s/^/$build /" >>"$figures"
    done
done
echo "end $(date -u +%H:%M:%S) UTC, load average $(cut -d' ' -f1-3 /proc/loadavg)"
python3 - "$figures" <<'PY'
import collections, re, statistics, sys
after = collections.defaultdict(list)
for line in open(sys.argv[1]):
    found = re.search(r'^(B|A) .*?(pty|TCP 127\.0\.0\.1), (ASCII|Hex).*?after ([0-9.]+)', line)
    if found:
        build, route, form, figure = found.groups()
        after[(route, form, build)].append(float(figure))
print('| case | B (runs) | A (runs) | A / B |')
print('|---|---|---|---|')
for route in ('pty', 'TCP 127.0.0.1'):
    for form in ('ASCII', 'Hex'):
        b, a = after[(route, form, 'B')], after[(route, form, 'A')]
        if b and a:
            mb, ma = statistics.median(b), statistics.median(a)
            print(f'| {route}, {form} | {mb:.4f} ({len(b)}) | {ma:.4f} ({len(a)}) | {ma / mb:.2f} |')
PY
