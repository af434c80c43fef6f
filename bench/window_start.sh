#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times the window's start-up as whole processes, for one build or several
# side by side (runs interleaved, so that the machine's load falls on each
# alike): start and close, start to the first picture and close, and the
# first picture's time after main with the window thread's processor time.
# Usage: bash bench/window_start.sh RUNS BUILD_DIR...
set -euo pipefail
runs=${1:-20}
shift
[ $# -gt 0 ] || set -- build
export QT_QPA_PLATFORM=offscreen
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
n=0
for build in "$@"; do
  n=$((n + 1))
  # A copy in a folder of its own, so that each keeps its settings file beside it.
  mkdir -p "$work/$n/runtime"
  chmod 700 "$work/$n/runtime"
  cp "$build/bin/kesTranscribe" "$work/$n/"
done
millis() { echo $(( ($(date +%s%N) - $1) / 100000 )); }
for _ in $(seq "$runs"); do
  n=0
  for _ in "$@"; do
    n=$((n + 1))
    dir=$work/$n
    start=$(date +%s%N)
    XDG_RUNTIME_DIR=$dir/runtime KESTRANSCRIBE_REPORT=1 "$dir/kesTranscribe" > /dev/null 2>&1
    millis "$start" >> "$dir/close"
    start=$(date +%s%N)
    XDG_RUNTIME_DIR=$dir/runtime KESTRANSCRIBE_QUIT_AFTER_PAINT=1 "$dir/kesTranscribe" 2> /dev/null |
      sed -n 's/^first picture: \([0-9.]*\) ms after main; window thread \([0-9.]*\) ms.* \([0-9.]*\) ms of it.*/\1 \2 \3/p' \
        >> "$dir/picture"
    millis "$start" >> "$dir/painted"
  done
done
median() { sort -g | awk -v d="$1" '{a[NR] = $1} END {printf "%.1f", a[int((NR + 1) / 2)] / d}'; }
n=0
for build in "$@"; do
  n=$((n + 1))
  dir=$work/$n
  echo "$build (medians of $runs runs)"
  printf '  %-40s %7s ms\n' "start and close" "$(median 10 < "$dir/close")"
  printf '  %-40s %7s ms\n' "start, first picture and close" "$(median 10 < "$dir/painted")"
  printf '  %-40s %7s ms\n' "first picture, after main" "$(cut -d' ' -f1 "$dir/picture" | median 1)"
  printf '  %-40s %7s ms\n' "window thread's processor time to it" "$(cut -d' ' -f2 "$dir/picture" | median 1)"
  printf '  %-40s %7s ms\n' "  of which before main (loading)" "$(cut -d' ' -f3 "$dir/picture" | median 1)"
done
