#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times the window's view of a 100,000-point track as whole processes: the
# read in the background and the event loop's longest stall meanwhile, the
# map drawn after the read; then the window starting and closing, as before
# the view. Usage: bash bench/view.sh [BUILD_DIR] [RUNS] [POINTS]
set -euo pipefail
build=${1:-build}
runs=${2:-5}
points=${3:-100000}
bin="$build/bin"
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
for i in $(seq "$runs"); do
  start=$(date +%s%N)
  "$bin/kes-view-timing" "$points" > "$XDG_RUNTIME_DIR/run$i" 2> "$XDG_RUNTIME_DIR/err$i"
  echo "whole process          $(( ($(date +%s%N) - start) / 1000000 )) ms" >> "$XDG_RUNTIME_DIR/run$i"
done
# The median of each line over the runs.
cut -c1-23 "$XDG_RUNTIME_DIR/run1" | while IFS= read -r name; do
  median=$(grep -h -F "$name" "$XDG_RUNTIME_DIR"/run* | cut -c24- | awk '{print $1}' | sort -g |
    awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
  unit=$(grep -h -F "$name" "$XDG_RUNTIME_DIR/run1" | cut -c24- | awk '{print $2}')
  printf '%-24s %8s %s (median of %d)\n' "$name" "$median" "$unit" "$runs"
done
work=$(mktemp -d)
cp "$bin/kesTranscribe" "$work/"
times=()
for i in $(seq "$runs"); do
  start=$(date +%s%N)
  KESTRANSCRIBE_REPORT=1 "$work/kesTranscribe" > /dev/null 2>&1
  times+=($(( ($(date +%s%N) - start) / 1000000 )))
done
printf '%-24s %8s ms (median of %d)\n' "window start and close" \
  "$(printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')" "$runs"
rm -rf "$work"
