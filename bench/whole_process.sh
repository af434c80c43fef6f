#!/usr/bin/env bash
# Whole conversions, start-up included: kes-headless on generated inputs that
# go beyond the store's capacity, each run RUNS times; prints the median wall
# time and the largest resident size of each.
#   bash bench/whole_process.sh [KES_HEADLESS] [RUNS]
set -euo pipefail
headless=${1:-build/bin/kes-headless}
runs=${2:-9}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# 120,000 fixes, each with the GGA sentence a receiver sends before it.
awk 'BEGIN { for (i = 0; i < 120000; i++) {
    t = sprintf("%02d%02d%02d", int(i / 3600) % 24, int(i / 60) % 60, i % 60)
    printf "$GPGGA,%s.000,4807.%03d,N,01131.000,E,1,05,1.6,%d.0,M,,*00\r\n", t, i % 1000, 200 + i % 50
    printf "$GPRMC,%s.000,A,4807.%03d,N,01131.000,E,0.1,84.4,230394,,*00\r\n", t, i % 1000 } }' >"$work/long.nmea"
# 10,001 waypoints in the native waypoint file.
{ printf 'Kestrelmaps Waypoint File Version 1.1\r\nWGS 84\r\nReserved 2\r\n\r\n'
  awk 'BEGIN { for (i = 1; i <= 10001; i++) printf "%4d,WP%d,  51.%06d,  -0.100000,33605.0000000,  0, 0, 3,         0,     65535,, 0, 0,    0,   -777, 8, 0,17,0,10.0,2,,,\r\n", i, i, i }'
} >"$work/many.wpt"

measure() {
  local name=$1; shift
  local times=() rss=0
  for ((r = 0; r < runs; r++)); do
    /usr/bin/time -f '%e %M' -o "$work/time" "$headless" "$@" >/dev/null
    read -r seconds kilobytes <"$work/time"
    times+=("$seconds")
    ((kilobytes > rss)) && rss=$kilobytes
  done
  local median
  median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p")
  printf '%-36s median %6ss  max RSS %7d KB\n' "$name" "$median" "$rss"
}

measure "NMEA 120k fixes -> track file" 8 1 "$work/out.plt" "$work/long.nmea"
measure "NMEA 120k fixes -> Holux track" 8 3 "$work/out.tlg" "$work/long.nmea"
measure "10001 waypoints -> waypoint file" 0 2 "$work/out.wrt" "$work/many.wpt"
fixtures=$(dirname "$0")/../../shared/fixtures
if [[ -f $fixtures/mapsource/gdb-sample.gdb ]]; then
  measure "gdb-sample.gdb tracks -> track files" 12 1 "$work/s.plt" "$fixtures/mapsource/gdb-sample.gdb"
fi
