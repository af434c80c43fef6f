#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the fuzz program with clang (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) in build-fuzz and runs it for each input format
# (a target is a format name of `kes-convert --list-formats`, or "packed" for
# the gzip and zip inputs) for the given
# number of seconds, one after the other:
#   bash scripts/fuzz.sh SECONDS [TARGET...]
# An input that crashes, hangs (over FUZZ_TIMEOUT seconds, default 1) or trips
# a sanitizer is copied to fuzz/crashes/TARGET/, where the replay test runs it
# from then on. FUZZ_JOBS (default 1) targets run side by side.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
timeout=${FUZZ_TIMEOUT:-1}
jobs=${FUZZ_JOBS:-1}

bash scripts/install-packages.sh clang-14 libclang-rt-14-dev cmake make libgtest-dev libexpat1-dev libgeographiclib-dev libhowardhinnant-date-dev libuchardet-dev zlib1g-dev libarchive-dev rapidjson-dev
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKES_BUILD_UI=OFF -DKES_BUILD_BENCH=OFF -DKES_SANITIZE=ON -DKES_FUZZ=ON \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link" >/dev/null

cmake --build build-fuzz -j"$(nproc)" --target fuzz_input
if [ $# -gt 0 ]; then
  targets=("$@")
else
  mapfile -t targets < <(KES_FUZZ_FORMAT=list build-fuzz/fuzz/bin/fuzz_input)
fi

# The real files the tests read are extra seeds; they are copied into the
# build folder, never into the corpus.
fixtures=tests/data
fixture_seeds() {
  case "$1" in
    mapsend-trk) echo "$fixtures/mapsend/*.trk" ;;
    magellan-*) echo "$fixtures/magellan/*" ;;
    nmea) echo "$fixtures/nmea/*" ;;
    tomtom-ov2) echo "$fixtures/tomtom/*.ov2" ;;
    mapsource-*) echo "$fixtures/mapsource/*" ;;
    gpx-*) echo "$fixtures/gpx/*.gpx" ;;
    wintec-tes) echo "$fixtures/wintec/*.tes" ;;
    compegps-*) echo "$fixtures/compegps/*" ;;
    pcx5-*) echo "$fixtures/pcx/*" ;;
    igc) echo "$fixtures/igc/*.igc" ;;
    fit|fit-wpt) echo "$fixtures/fit/*.fit" ;;
    tcx*) echo "$fixtures/tcx/*.tcx" ;;
    kml*) echo "$fixtures/kml/*.kml" ;;
    geojson-*) echo "$fixtures/geojson/*.geojson $fixtures/golden/*.geojson" ;;
    csv-*) echo "$fixtures/csv/*.csv $fixtures/golden/*.csv" ;;
    packed) echo "$fixtures/compressed/*" ;;
  esac
}

run_target() {
  local t=$1
  local work=build-fuzz/fuzz-work/$t
  mkdir -p "$work/corpus" "$work/seeds" "$work/artifacts"
  for f in $(fixture_seeds "$t"); do [ -f "$f" ] && cp "$f" "$work/seeds/"; done
  local status=0
  KES_FUZZ_FORMAT="$t" build-fuzz/fuzz/bin/fuzz_input -max_total_time="$seconds" -max_len=200000 -timeout="$timeout" \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$work/artifacts/" \
    "$work/corpus" "fuzz/corpus/$t" "$work/seeds" >"$work/log" 2>&1 || status=$?
  local found
  found=$(find "$work/artifacts" -type f | wc -l)
  if [ "$found" -gt 0 ]; then
    mkdir -p "fuzz/crashes/$t"
    cp "$work"/artifacts/* "fuzz/crashes/$t/"
  fi
  local done_line
  done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$work/log" | tail -1 || true)
  local execs
  execs=$(grep -E '^stat::number_of_executed_units' "$work/log" | awk '{print $2}' || true)
  printf '%-20s status %-3s execs %-10s %s artifacts %s\n' "$t" "$status" "${execs:-?}" \
    "$(echo "$done_line" | grep -oE 'cov: [0-9]+ ft: [0-9]+' || echo 'cov: ?')" "$found"
}

summary=build-fuzz/fuzz-summary.txt
: >"$summary"
running=0
for t in "${targets[@]}"; do
  run_target "$t" >>"$summary" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    wait -n || true
    running=$((running - 1))
  fi
done
wait || true
sort "$summary"
if grep -qvE 'status 0 ' "$summary"; then
  echo "Faults found: inputs are in fuzz/crashes/, logs in build-fuzz/fuzz-work/TARGET/log" >&2
  exit 1
fi
