#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Whole-process timings of kes-convert: its start-up beside the window
# program's, and batches converted with --each (2,000 small files: the cost
# of flushing each output to disk).
#   bash bench/convert_command.sh [BUILD_DIR] [RUNS]
# Prints the median wall time of RUNS runs (of 3 for the longer cases) and
# the peak memory of the last.
set -euo pipefail
build=${1:-build} runs=${2:-21}
bin=$(cd "$build/bin" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

measure() {  # LABEL COMMAND...
  measure_times "$runs" "$@"
}

measure_times() {  # RUNS LABEL COMMAND...
  local count=$1 label=$2 times=()
  shift 2
  for _ in $(seq "$count"); do
    /usr/bin/time -q -f '%e %M' -o "$work/time" "$@" >/dev/null 2>&1 || true
    times+=("$(cut -d' ' -f1 "$work/time")")
  done
  printf '%-44s median %s s, peak %s KB\n' "$label" \
    "$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((count + 1) / 2))p")" "$(cut -d' ' -f2 "$work/time")"
}

# Twenty receiver logs of an hour each (3600 fixes).
mkdir "$work/logs"
for n in $(seq 20); do
  for i in $(seq 0 3599); do
    printf '$GPRMC,%02d%02d%02d,A,4231.%04d,N,08807.3033,W,0.17,138.92,070804,,\r\n' \
      $((i / 3600)) $((i / 60 % 60)) $((i % 60)) $((i % 10000))
  done >"$work/logs/log$n.nmea"
done

measure "kes-convert --version" "$bin/kes-convert" --version
measure "kes-headless, usage only (the core alone)" "$bin/kes-headless"
measure "kes-convert, one log to a track file" "$bin/kes-convert" -q "$work/logs/log1.nmea" -O "$work/one.plt"
measure "kes-convert --each, twenty logs" "$bin/kes-convert" -q --each -o kes-plt -O "$work/out" "$work"/logs/*.nmea

# Two thousand logs of two fixes: each output is flushed to disk before it
# takes its name, the folder once for each few hundred conversions.
mkdir "$work/small"
for n in $(seq 2000); do
  printf '$GPRMC,120000,A,4231.%04d,N,08807.3033,W,0.17,138.92,070804,,\r\n' "$n" "$n" >"$work/small/log$n.nmea"
done
measure_times 3 "kes-convert --each, 2,000 small logs" "$bin/kes-convert" -q --each -o kes-plt -O "$work/out" \
  "$work"/small/*.nmea
# The same without any flush to disk (the calls made no-ops), for the cost of
# the flushes (bench/flush_cost.sh times them on a busy disk too).
if command -v cc >/dev/null; then
  printf 'int fsync(int f){(void)f;return 0;}\nint fdatasync(int f){(void)f;return 0;}\nint syncfs(int f){(void)f;return 0;}\n' \
    >"$work/noflush.c"
  cc -shared -fPIC -O2 -o "$work/noflush.so" "$work/noflush.c"
  measure_times 3 "the same, flushes made no-ops" env LD_PRELOAD="$work/noflush.so" "$bin/kes-convert" -q --each \
    -o kes-plt -O "$work/out" "$work"/small/*.nmea
fi

if [ -x "$bin/kesTranscribe" ]; then
  # A copy, so that the settings file it writes beside itself stays here.
  mkdir -p -m 700 "$work/runtime" "$work/window"
  cp "$bin/kesTranscribe" "$work/window/"
  measure "kesTranscribe, start and close (offscreen)" env XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=offscreen \
    KESTRANSCRIBE_REPORT=1 "$work/window/kesTranscribe"
fi
