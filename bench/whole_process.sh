#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times whole kes-headless processes, start-up included, on large inputs that
# it builds in a temporary folder, and prints per case the median wall time
# and the median peak memory (maximum resident set size) of RUNS runs:
#   bash bench/whole_process.sh            # RUNS=9, build folder "build"
#   RUNS=15 BUILD=build-release bash bench/whole_process.sh
#   CASES='NMEA' bash bench/whole_process.sh   # only the cases whose name matches
# Times come from bash's millisecond clock around each run (wall time, and the
# CPU time of the process, user and system, which a busy machine disturbs
# less), memory from /usr/bin/time in separate runs, so that neither disturbs
# the other.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${RUNS:-9}
build=${BUILD:-build}
cases=${CASES:-.}

bash scripts/install-packages.sh time
cmake --build "$build" -j2 --target kes-headless kes-convert kes-bench-inputs >/dev/null
headless=$PWD/$build/bin/kes-headless
convert=$PWD/$build/bin/kes-convert

work=$(mktemp -d "${TMPDIR:-/tmp}/kes-whole-process.XXXXXX")
trap 'rm -rf "$work"' EXIT
in=$work/in
out=$work/out
mkdir -p "$out"
"$build/bench/kes-bench-inputs" "$in"

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# case NAME TARGET INPUT_FORMAT OUTPUT_FORMAT OUTPUT_NAME INPUT...
case_() { program_case "$headless" "$@"; }
# command_case NAME TARGET ARGUMENT...: kes-convert with those arguments.
command_case() { program_case "$convert" "$@"; }

program_case() {
  local program=$1 name=$2 target=$3
  shift 3
  grep -qE -- "$cases" <<<"$name" || return 0
  local args=("$@") times=() cpus=() memories=() status=0 real user sys
  "$program" "${args[@]}" >"$work/last.txt" 2>&1 || status=$?  # warms the page cache
  local TIMEFORMAT='%3R %3U %3S'
  for ((r = 0; r < runs; r++)); do
    read -r real user sys < <({ time "$program" "${args[@]}" >/dev/null 2>&1; } 2>&1)
    times+=("$(awk -v t="$real" 'BEGIN { printf "%.0f", t * 1000 }')")
    cpus+=("$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.0f", (u + s) * 1000 }')")
    /usr/bin/time -f %M -o "$work/memory.txt" "$program" "${args[@]}" >/dev/null 2>&1 || true
    memories+=("$(tail -1 "$work/memory.txt")")
  done
  local time cpu memory last
  time=$(printf '%s\n' "${times[@]}" | median)
  cpu=$(printf '%s\n' "${cpus[@]}" | median)
  memory=$(printf '%s\n' "${memories[@]}" | median)
  last=$(grep -v '^$' "$work/last.txt" | tail -1)
  printf '%-44s %6s ms %6s ms %6.1f MB   %-20s exit %d: %s\n' "$name" "$time" "$cpu" \
    "$(awk -v k="$memory" 'BEGIN { print k / 1024 }')" "$target" "$status" "${last:0:30}"
}

echo "load average: $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) processors"
printf '%-44s %9s %9s %9s   %-20s %s\n' "case ($runs runs, median)" "wall" "CPU" "memory" "target" "last line"
case_ "failed conversion (missing input)" "<= 5 ms, <= 8 MB" nmea kes-plt "$out/missing" "$in/no-such-file.nmea"
case_ ".ov2, 10,000 points -> .wpt" "<= 15 ms" tomtom-ov2 kes-wpt "$out/points" "$in/points.ov2"
case_ ".gdb, 10,000 waypoints -> .wpt" "<= 30 ms" mapsource-wpt kes-wpt "$out/waypoints" "$in/waypoints.gdb"
case_ ".gdb, one 100,000-point track -> .plt" "<= 50 ms" mapsource-trk kes-plt "$out/gdb-track" "$in/track.gdb"
case_ "Magellan track, 100,000 points -> .plt" "<= 60 ms" magellan-trk kes-plt "$out/magellan" "$in/magellan-track.log"
case_ "NMEA, 100,000 RMC + GGA fixes -> .plt" "<= 80 ms" nmea kes-plt "$out/fixes" "$in/fixes.nmea"
case_ "NMEA, $(($(stat -c %s "$in/large.nmea") / 1000000)) MB (1.5 million fixes) -> .plt" "<= 150 ms, <= 64 MB" \
  nmea kes-plt "$out/large" "$in/large.nmea"
for format in gpx kml geojson csv; do
  case_ "NMEA, 1.5 million fixes -> .$format, whole" "<= 2000 ms, <= 64 MB" nmea $format "$out/large-$format" \
    "$in/large.nmea"
done
command_case "NMEA, 1.5 million fixes, --info" "<= 1000 ms, <= 64 MB" --info -i nmea "$in/large.nmea"
case_ "NMEA, 100,000 RMC + GGA fixes -> .gpx" "<= 120 ms" nmea gpx-trk "$out/fixes-gpx" "$in/fixes.nmea"
for format in kml geojson csv; do
  case_ "NMEA, 100,000 RMC + GGA fixes -> .$format" "<= 120 ms, <= 64 MB" nmea $format "$out/fixes-$format" "$in/fixes.nmea"
  case_ "GPX track, 100,000 points, fitness site's -> .$format" "<= 120 ms, <= 64 MB" gpx-trk $format \
    "$out/fitness-$format" "$in/fitness-track.gpx"
done
case_ "GPX track, 100,000 points, receiver's -> .plt" "<= 120 ms" gpx-trk kes-plt "$out/gpx-track" "$in/track.gpx"
case_ "GPX track, 100,000 points, fitness site's -> .plt" "<= 120 ms" gpx-trk kes-plt "$out/fitness" "$in/fitness-track.gpx"
case_ "GPX, $(($(stat -c %s "$in/large.gpx") / 1000000)) MB (tracks of 100,000 points) -> .plt" "<= 64 MB" \
  gpx-trk kes-plt "$out/large-gpx" "$in/large.gpx"
case_ "NMEA, 200 MB without a known sentence" "<= 64 MB" nmea kes-plt "$out/garbage" "$in/garbage.nmea"
case_ ".gdb, 200 MB of records of unknown type" "<= 64 MB" mapsource-trk kes-plt "$out/unknown" "$in/unknown-records.gdb"
case_ "NMEA, one line of 200 MB" "<= 64 MB" nmea kes-plt "$out/one-line" "$in/one-line.nmea"
case_ "5 MB CR-only: Kes waypoints -> .wrt" "<= 50 ms" kes-wpt holux-wrt "$out/cr-wpt" "$in/cr-only.wpt"
case_ "5 MB CR-only: Kes track -> .tlg" "<= 50 ms" kes-plt holux-tlg "$out/cr-plt" "$in/cr-only.plt"
case_ "5 MB CR-only: Nobletec waypoints -> .wpt" "<= 50 ms" nobletec-wpt kes-wpt "$out/cr-nobletec-wpt" "$in/cr-only-nobletec.txt"
case_ "5 MB CR-only: Nobletec tracks -> .plt" "<= 50 ms" nobletec-trk kes-plt "$out/cr-nobletec-plt" "$in/cr-only-nobletec.txt"
case_ "5 MB CR-only: NMEA -> .plt" "<= 50 ms" nmea kes-plt "$out/cr-nmea" "$in/cr-only.nmea"
case_ "5 MB CR-only: Magellan waypoints -> .wpt" "<= 50 ms" magellan-wpt kes-wpt "$out/cr-magellan-wpt" \
  "$in/cr-only-magellan-waypoints.log"
case_ "5 MB CR-only: Magellan track -> .plt" "<= 50 ms" magellan-trk kes-plt "$out/cr-magellan-plt" "$in/cr-only-magellan-track.log"
case_ "five .plt of 2,500 points -> one .tlg" "<= 15 ms" kes-plt holux-tlg "$out/merged" \
  "$in/track1.plt" "$in/track2.plt" "$in/track3.plt" "$in/track4.plt" "$in/track5.plt"
