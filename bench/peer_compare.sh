#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times kes-convert and the peer converter (Debian's gpsbabel, when it is
# installed) on the same GPX, IGC and FIT inputs, whole processes, and prints the median
# wall time of each and their ratio:
#   bash bench/peer_compare.sh            # RUNS=5, build folder "build"
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${RUNS:-5}
build=${BUILD:-build}
if ! command -v gpsbabel >/dev/null; then
  echo "the peer converter is not installed (apt-get install gpsbabel): nothing to compare"
  exit 0
fi
cmake --build "$build" -j2 --target kes-convert kes-bench-inputs >/dev/null
convert=$PWD/$build/bin/kes-convert
work=$(mktemp -d "${TMPDIR:-/tmp}/kes-peer.XXXXXX")
trap 'rm -rf "$work"' EXIT
"$build/bench/kes-bench-inputs" "$work/in" >/dev/null

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
wall() {
  local times=() real TIMEFORMAT='%3R'
  "$@" >/dev/null 2>&1 || true
  for ((r = 0; r < runs; r++)); do
    # Written data still waiting for the disk goes first: otherwise the safe
    # writer's flush of its file waits for the other program's output too.
    sync
    real=$({ time "$@" >/dev/null 2>&1; } 2>&1)
    times+=("$(awk -v t="$real" 'BEGIN { printf "%.0f", t * 1000 }')")
  done
  printf '%s\n' "${times[@]}" | median
}

# compare NAME INPUT OUR_FORMAT PEER_FORMAT EXTENSION [PEER_INPUT_FORMAT]
compare() {
  local ours peers
  ours=$(wall "$convert" -q -o "$3" "$2" -O "$work/ours.$5")
  peers=$(wall gpsbabel -i "${6:-gpx}" -f "$2" -o "$4" -F "$work/peer.$5")
  printf '%-46s %7s ms %7s ms   %5.1fx\n' "$1" "$ours" "$peers" "$(awk -v a="$ours" -v b="$peers" 'BEGIN { print b / a }')"
}

printf '%-46s %10s %10s   %s\n' "case ($runs runs, median wall)" "ours" "peer" "peer/ours"
for input in mixed-track-waypoints.gpx fitness-track.gpx track.gpx; do
  [ -f "$work/in/$input" ] || continue
  compare "$input -> GPX" "$work/in/$input" gpx gpx gpx
  compare "$input -> GeoJSON" "$work/in/$input" geojson geojson geojson
  compare "$input -> CSV" "$work/in/$input" csv unicsv csv
  compare "$input -> KML" "$work/in/$input" kml kml kml
done

# A day's flight log of 500,000 fixes a second apart, drifting north-east.
awk 'BEGIN {
  printf "AXXXKES\r\nHFDTEDATE:160722,01\r\nHFPLTPILOTINCHARGE:A PILOT\r\nHFGTYGLIDERTYPE:LS 4\r\n"
  for (i = 0; i < 500000; i++) {
    t = 36000 + i; m = i % 60000
    printf "B%02d%02d%02d%02d%05dN%03d%05dEA%05d%05d\r\n", int(t / 3600) % 24, int(t / 60) % 60, t % 60,
      43 + int(i / 60000), m, 80 + int(i / 60000), m, 400 + i % 2000, 450 + i % 2000
  }
}' >"$work/in/flight.igc"
compare "flight.igc -> GPX" "$work/in/flight.igc" gpx gpx gpx igc
compare "flight.igc -> KML" "$work/in/flight.igc" kml kml kml igc
# A FIT activity of a million records (24 MB): reading it is most of the work.
if [ -f "$work/in/activity.fit" ]; then
  compare "activity.fit -> GPX" "$work/in/activity.fit" gpx gpx gpx garmin_fit
  compare "activity.fit -> CSV" "$work/in/activity.fit" csv unicsv csv garmin_fit
fi
# The readers of other XML formats, into GPX.
[ -f "$work/in/activity.tcx" ] && compare "activity.tcx -> GPX" "$work/in/activity.tcx" gpx gpx gpx gtrnctr
[ -f "$work/in/placemarks-track.kml" ] && compare "placemarks-track.kml -> GPX" "$work/in/placemarks-track.kml" gpx gpx gpx kml
exit 0
