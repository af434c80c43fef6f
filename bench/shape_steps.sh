#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Whole kes-convert processes through shaping steps: the log of 1,500,000
# fixes (fifteen logs of 100,000 fixes one after the other in time, built by
# kes-bench-inputs, as bench/whole_process.sh uses it) to GPX with --split-day --simplify 5m --crop-box, and the
# same without steps for comparison. Prints per case the median wall time,
# CPU time and peak memory (maximum resident set size) of RUNS runs; the
# steps' case should stay under 3 s and 64 MB.
#   bash bench/shape_steps.sh            # RUNS=5, build folder "build"
#   RUNS=9 BUILD=build-release bash bench/shape_steps.sh
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${RUNS:-5}
build=${BUILD:-build}

bash scripts/install-packages.sh time
cmake --build "$build" -j2 --target kes-convert kes-bench-inputs >/dev/null
convert=$PWD/$build/bin/kes-convert
work=$(mktemp -d "${TMPDIR:-/tmp}/kes-shape-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
"$build/bench/kes-bench-inputs" "$work/in"
rm -f "$work"/in/{garbage,one-line}.nmea "$work"/in/*.gpx "$work"/in/unknown-records.gdb  # not needed here
log=$work/in/large.nmea

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

measure() {  # NAME ARGUMENT...
  local name=$1 walls=() cpus=() memories=() wall user sys kb
  shift
  "$convert" "$@" >"$work/printed" 2>&1  # warms the page cache, and shows what it did
  for ((r = 0; r < runs; r++)); do
    /usr/bin/time -f '%e %U %S %M' -o "$work/time" "$convert" "$@" >/dev/null 2>&1
    read -r wall user sys kb <"$work/time"
    walls+=("$wall")
    cpus+=("$(awk -v u="$user" -v s="$sys" 'BEGIN { print u + s }')")
    memories+=("$kb")
  done
  printf '%-34s %6.2f s wall %6.2f s CPU %6.1f MB peak\n' "$name" "$(printf '%s\n' "${walls[@]}" | median)" \
    "$(printf '%s\n' "${cpus[@]}" | median)" "$(awk -v k="$(printf '%s\n' "${memories[@]}" | median)" 'BEGIN { print k / 1024 }')"
  grep -e 'split' -e 'simplify' -e 'crop' -e 'Written' "$work/printed" | sed 's/^/    /'
}

echo "load average: $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) processors; $(grep -c GPRMC "$log") fixes"
measure "large.nmea to GPX" -v "$log" -O "$work/plain.gpx"
measure "large.nmea to GPX through steps" -v "$log" -O "$work/shaped.gpx" --split-day --simplify 5m \
  --crop-box 42.6,-89,43,-88
