#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Whole processes on inputs built to push memory up: each must stay under
# 64 MB of peak memory (maximum resident set size, from /usr/bin/time).
#   bash bench/memory_cases.sh [BUILD_DIR]    # build folder "build" by default
# Prints per case the wall time, the peak memory and the first message it
# printed (its last line when it printed none).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
bash scripts/install-packages.sh time
bin=$(cd "$build/bin" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/kes-memory.XXXXXX")
trap 'rm -rf "$work"' EXIT

measure() {  # LABEL COMMAND...
  local label=$1 status=0 seconds kb last
  shift
  /usr/bin/time -q -f '%e %M' -o "$work/time" "$@" >"$work/printed" 2>&1 || status=$?
  read -r seconds kb <"$work/time"
  last=$(grep -m1 -e '^kes-convert: ' -e '^message: ' "$work/printed" || grep -v '^$' "$work/printed" | tail -1 || true)
  printf '%-52s %6s s %6.1f MB  %s  exit %d: %s\n' "$label" "$seconds" "$(awk -v k="$kb" 'BEGIN { print k / 1024 }')" \
    "$(awk -v k="$kb" 'BEGIN { print (k < 65536 ? "under 64 MB" : "OVER 64 MB ") }')" "$status" "${last:0:70}"
}

gpx() {  # FILE ATTRIBUTE_FORMAT: 220,000 waypoints, each with one attribute
  {
    printf '<?xml version="1.0"?>\n<gpx version="1.1" xmlns="http://www.topografix.com/GPX/1/1">\n'
    awk -v f="$2" 'BEGIN { for (i = 0; i < 220000; i++) printf "<wpt lat=\"1\" lon=\"2\" " f "/>\n", i }'
    printf '</gpx>\n'
  } >"$1"
}
gpx "$work/names.gpx" 'a%0120d="1"'
gpx "$work/values.gpx" 'a="%0120d"'

echo "load average: $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) processors"
measure "GPX, $(($(stat -c %s "$work/values.gpx") / 1000000)) MB, one attribute name (for comparison)" \
  "$bin/kes-convert" -q -i gpx-wpt "$work/values.gpx" -O "$work/values.wpt"
measure "GPX, $(($(stat -c %s "$work/names.gpx") / 1000000)) MB, 220,000 different attribute names" \
  "$bin/kes-convert" -q -i gpx-wpt "$work/names.gpx" -O "$work/names.wpt"

# Fifty thousand one-point tracks into track files in a folder 3,800
# characters long: refused past 1,000 files, the names written never all kept.
deep=$work
for _ in $(seq 20); do deep=$deep/$(printf 'd%.0s' $(seq 190)); done
mkdir -p "$deep"
{
  printf '<?xml version="1.0"?>\n<gpx version="1.1" xmlns="http://www.topografix.com/GPX/1/1">\n'
  awk 'BEGIN { for (i = 0; i < 50000; i++) print "<trk><trkseg><trkpt lat=\"45\" lon=\"7\"/></trkseg></trk>" }'
  printf '</gpx>\n'
} >"$work/tracks.gpx"
measure "GPX, 50,000 tracks into track files, a long folder" \
  "$bin/kes-convert" -q -i gpx-trk "$work/tracks.gpx" -O "$deep/t.plt"

# Endless devices are read up to 32 MB; pipes and FIFOs are read once, to their end, in flat memory.
nmea='$GPGSV,3,1,12,01,40,083,46,02,17,308,41,12,07,344,39*43'
fix='$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A'
{ yes "$nmea" | head -c 200000000 || true; echo "$fix"; } | gzip -1 >"$work/log.nmea.gz"
mkfifo "$work/fifo"
measure "/dev/zero as NMEA" "$bin/kes-convert" -q -i nmea /dev/zero -O "$work/zero.plt"
measure "/dev/zero, format told from the content" "$bin/kes-convert" -q /dev/zero -O "$work/zero.plt"
measure "NMEA, 200 MB through zcat |, read to its last line" \
  bash -c "zcat '$work/log.nmea.gz' | '$bin/kes-convert' -q -i nmea /dev/stdin -O '$work/zcat.plt'"
measure "NMEA, 200 MB through a pipe, format told from the content" \
  bash -c "{ echo '$fix'; zcat '$work/log.nmea.gz'; } | '$bin/kes-convert' -q /dev/stdin -O '$work/told.plt'"
measure "NMEA, one line of 200 MB through a FIFO" \
  bash -c "head -c 200000000 /dev/zero | tr '\\0' x >'$work/fifo' & '$bin/kes-convert' -q -i nmea '$work/fifo' -O '$work/fifo.plt'"

# A FIT activity of 8.8 million records (211 MB), read whole into GPX and
# into the native track file, which stops at its capacity.
"$build/bench/kes-bench-inputs" "$work/inputs" >/dev/null
measure "FIT, $(($(stat -c %s "$work/inputs/large.fit") / 1000000)) MB, 8.8 million records into GPX" \
  "$bin/kes-convert" -q -i fit "$work/inputs/large.fit" -O "$work/large-fit.gpx"
measure "FIT, the same into a native track file" \
  "$bin/kes-convert" -q -i fit "$work/inputs/large.fit" -O "$work/large-fit.plt"
rm -rf "$work/inputs" "$work/large-fit.gpx"
# The bench inputs' TCX activity of over 500 MB, and the KML written of it
# (one timed track of 800,000 points) read back.
if [ -x "$build/bench/kes-bench-inputs" ]; then
  "$build/bench/kes-bench-inputs" "$work/in" >/dev/null
  measure "TCX, $(($(stat -c %s "$work/in/large.tcx") / 1000000)) MB activity, into GPX" \
    "$bin/kes-convert" -q -i tcx "$work/in/large.tcx" -O "$work/large.gpx"
  "$bin/kes-convert" -q "$work/in/large.tcx" -O "$work/large.kml" 2>/dev/null || true
  measure "KML, $(($(stat -c %s "$work/large.kml") / 1000000)) MB, one timed track, into GPX" \
    "$bin/kes-convert" -q -i kml-trk "$work/large.kml" -O "$work/large-kml.gpx"
  rm -rf "$work/in" "$work"/large*
fi
# GeoJSON of 1 GB: one line of 19 million points whose times come after
# it (the properties after the geometry), and 10 million point features.
awk 'BEGIN {
  printf "{\"type\":\"FeatureCollection\",\"features\":[{\"type\":\"Feature\",\"geometry\":{\"type\":\"LineString\",\"coordinates\":["
  n = 19000000
  for (i = 0; i < n; i++) printf "%s[%.7f,%.7f,%.1f]", (i ? "," : ""), 7 + i / 1e8, 45 + i / 1e8, i % 3000
  printf "]},\"properties\":{\"name\":\"long\",\"coordTimes\":["
  for (i = 0; i < n; i++) printf "%s\"2020-06-%02dT%02d:%02d:%02dZ\"", (i ? "," : ""), 1 + int(i / 86400) % 28, int(i / 3600) % 24, int(i / 60) % 60, i % 60
  printf "]}}]}\n"
}' >"$work/line.geojson"
awk 'BEGIN {
  printf "{\"type\":\"FeatureCollection\",\"features\":["
  for (i = 0; i < 10000000; i++)
    printf "%s{\"type\":\"Feature\",\"properties\":{\"name\":\"P%d\"},\"geometry\":{\"type\":\"Point\",\"coordinates\":[%.6f,%.6f]}}\n", (i ? "," : ""), i, 7 + i / 1e7, 45 + i / 1e7
  printf "]}\n"
}' >"$work/points.geojson"
measure "GeoJSON, $(($(stat -c %s "$work/line.geojson") / 1000000)) MB, one line, times after it" \
  "$bin/kes-convert" -q "$work/line.geojson" -o gpx -O /dev/null
measure "GeoJSON, $(($(stat -c %s "$work/points.geojson") / 1000000)) MB, 10 million point features" \
  "$bin/kes-convert" -q "$work/points.geojson" -o gpx -O /dev/null
rm -f "$work/line.geojson" "$work/points.geojson"

if [ -x "$bin/kesTranscribe" ]; then
  # A copy of the window program, so that its settings file is the one beside it.
  mkdir -p -m 700 "$work/runtime" "$work/window"
  cp "$bin/kesTranscribe" "$work/window/"
  window() {  # LABEL
    measure "$1" timeout 60 env XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=offscreen KESTRANSCRIBE_REPORT=1 \
      "$work/window/kesTranscribe"
  }
  settings=$work/window/kesTranscribe.ini
  window "window starts and closes, no settings file"
  rm -f "$settings"
  { printf '[Input File]\r\nFile Format=8\r\n'; head -c 100000000 < <(yes '; a line of a file that is not ours'); } \
    >"$settings"
  window "window starts and closes, 100 MB settings file"
  rm -f "$settings"
  mkfifo "$settings"
  window "window starts and closes, a FIFO as settings file"
fi
