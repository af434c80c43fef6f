#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Converts every real file the peer converter reads to GPX with kes-convert
# and with the peer converter, and compares the two with compare_gpx.py.
#   bash tests/peer/compare_fixtures.sh [BUILD] [FIXTURES]
set -uo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
fixtures=${2:-../shared/fixtures}
work=$(mktemp -d "${TMPDIR:-/tmp}/kes-peer.XXXXXX")
trap 'rm -rf "$work"' EXIT
status=0
# file pattern, the peer's format name
while read -r pattern peer; do
  for file in $fixtures/$pattern; do
    [ -f "$file" ] || continue
    name=$(basename "$file")
    ours=$work/$name.ours.gpx theirs=$work/$name.theirs.gpx
    if ! "$build/bin/kes-convert" -q "$file" -o gpx -O "$ours" 2>/dev/null; then
      echo "== $name: not converted by kes-convert"; continue
    fi
    if ! gpsbabel -i "$peer" -f "$file" -o gpx,gpxver=1.1 -F "$theirs" 2>/dev/null; then
      echo "== $name: not read by the peer converter"; continue
    fi
    echo "== $name"
    python3 tests/peer/compare_gpx.py "$ours" "$theirs" || status=1
  done
done <<'LIST'
gpx/*.gpx gpx
magellan/*.rte magellan
magellan/*.log magellan
magellan/*.trk magellan
mapsend/*.trk mapsend
mapsend/*.wpt mapsend
mapsource/*.gdb gdb
mapsource/*.mps mapsource
nmea/* nmea
tomtom/*.ov2 tomtom
kml/*.kml kml
LIST
exit $status
