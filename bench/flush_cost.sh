#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Whole-process timings of what flushing outputs to disk costs kes-convert:
#  - a tiny conversion (a log of two fixes) right after 1.5 GB written by
#    another program and not yet on disk: a flush of the whole file system
#    would wait for all of it, a flush of the conversion's own files does not;
#  - a batch of 2,000 small logs (--each), on an idle disk and right after
#    1.5 GB of another program's writes, and the same batch with every flush
#    made a no-op, for what the flushes of a batch cost.
#   bash bench/flush_cost.sh [BUILD_DIR] [RUNS]
# KES_CONVERT=PROGRAM times another build of the command the same way. The
# work folder is made in BENCH_DIR (default: the build folder), on the file
# system the outputs go to. Prints medians in milliseconds.
set -euo pipefail
build=${1:-build} runs=${2:-9}
program=${KES_CONVERT:-$(cd "$build/bin" && pwd)/kes-convert}
work=$(mktemp -d -p "${BENCH_DIR:-$build}")
trap 'rm -rf "$work"' EXIT

now_ms() { echo $(($(date +%s%N) / 1000000)); }
median() { sort -n | sed -n "$((($1 + 1) / 2))p"; }

printf '$GPRMC,120000,A,4231.0001,N,08807.3033,W,0.17,138.92,070804,,*01\r\n$GPRMC,120001,A,4231.0002,N,08807.3033,W,0.17,138.92,070804,,*03\r\n' \
  >"$work/tiny.nmea"

# 1.5 GiB of another program's writes, still in memory when the conversion starts.
tiny=()
for _ in $(seq "$runs"); do
  dd if=/dev/zero of="$work/other" bs=16M count=96 status=none
  start=$(now_ms)
  "$program" -q "$work/tiny.nmea" -O "$work/tiny.plt"
  tiny+=($(($(now_ms) - start)))
  rm -f "$work/other" "$work/tiny.plt"
done
printf '%-58s median %s ms\n' "tiny conversion after 1.5 GB of unrelated dirty data" \
  "$(printf '%s\n' "${tiny[@]}" | median "$runs")"

mkdir "$work/small"
for n in $(seq 2000); do
  printf '$GPRMC,120000,A,4231.%04d,N,08807.3033,W,0.17,138.92,070804,,\r\n' "$n" >"$work/small/log$n.nmea"
done
batch() {  # LABEL DIRTY [ENV...]
  local label=$1 dirty=$2 times=()
  shift 2
  # A new folder each time: removing the last one would leave the file
  # system's journal busy with the removal.
  for run in $(seq "$runs"); do
    sync
    [ "$dirty" = dirty ] && dd if=/dev/zero of="$work/other" bs=16M count=96 status=none
    start=$(now_ms)
    env "$@" "$program" -q --each -o kes-plt -O "$work/out-$label-$run" "$work/small"
    times+=($(($(now_ms) - start)))
    rm -f "$work/other"
  done
  printf '%-58s median %s ms\n' "$label" "$(printf '%s\n' "${times[@]}" | median "$runs")"
}
batch "--each, 2,000 small logs" idle
if command -v cc >/dev/null; then
  printf 'int fsync(int f){(void)f;return 0;}\nint fdatasync(int f){(void)f;return 0;}\nint syncfs(int f){(void)f;return 0;}\n' \
    >"$work/noflush.c"
  cc -shared -fPIC -O2 -o "$work/noflush.so" "$work/noflush.c"
  batch "the same, flushes made no-ops" idle LD_PRELOAD="$work/noflush.so"
fi
batch "the same after 1.5 GB of unrelated dirty data" dirty
