#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes the screenshot the AppStream metadata refers to: installs the build
# into a temporary prefix, starts the installed program on a virtual screen
# under a small window manager (so the title bar shows the window's icon),
# converts a short NMEA log through the keyboard and saves the window:
#   bash scripts/screenshot.sh [OUTPUT_PNG]   (default desktop/screenshots/main-window.png)
set -euo pipefail
cd "$(dirname "$0")/.."
output=$(realpath -m "${1:-desktop/screenshots/main-window.png}")
source scripts/packages.sh
bash scripts/install-packages.sh "${BUILD_PACKAGES[@]}" xvfb xauth x11-utils xdotool imagemagick openbox
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
work=$(mktemp -d)
# The pane shows the file names: a short, steady folder reads better than a random one.
data=/tmp/kesTranscribe-demo
rm -rf "$data"
trap 'rm -rf "$work" "$data"' EXIT
cmake --install build --prefix "$work/prefix" >/dev/null

nmea() {  # one sentence with its checksum
  local body=$1 sum=0 i c
  for ((i = 0; i < ${#body}; i++)); do
    printf -v c '%d' "'${body:i:1}"
    sum=$((sum ^ c))
  done
  printf '$%s*%02X\r\n' "$body" "$sum"
}
mkdir -p "$data/Tracks/converted"
for minute in 10 11 12 13 14; do
  nmea "GPRMC,09${minute}00,A,5230.$((minute * 3)),N,01323.$((minute * 4)),E,4.2,71.0,150626,,"
done >"$data/Tracks/morning-ride.nmea"
# NMEA log in, Kestrelmaps track out, both dialogs in the tracks folder.
printf '[Input File]\r\nInitial Folder=%s\r\nFile Format=8\r\n[Output File]\r\nInitial Folder=%s\r\nFile Format=1\r\n' \
  "$data/Tracks" "$data/Tracks/converted" >"$work/prefix/bin/kesTranscribe.ini"

cat >"$work/session.sh" <<EOF
set -euo pipefail
openbox >/dev/null 2>&1 &
sleep 1
"$work/prefix/bin/kesTranscribe" "$data/Tracks/morning-ride.nmea" 2>/dev/null &
window=\$(xdotool search --sync --name 'Kestrelmaps File Format Converter')
xdotool windowactivate --sync "\$window"
sleep 1
# The tab order: input field, its format, the Times row's shift, zone and
# rollover, output field, its format, pane, Help, Convert.
xdotool key Tab Tab Tab Tab Tab
xdotool type '$data/Tracks/converted/morning-ride'
xdotool key Tab Tab Tab Tab space
sleep 1
frame=\$(xwininfo -tree -id "\$window" | sed -n 's/.*Parent window id: \(0x[0-9a-f]*\).*/\1/p')
import -window "\$frame" "$output"
mogrify -strip "$output"
xdotool key --window "\$window" Escape
kill %2 %1
EOF
mkdir -p "$(dirname "$output")"
xvfb-run -a -s '-screen 0 1024x768x24' bash "$work/session.sh"
echo "saved $output"
