#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the test suite with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-asan (no desktop program, no benchmarks) and runs it; the replay of the
# fuzz corpus and of every input that once crashed is part of it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-packages.sh g++ cmake make libgtest-dev libexpat1-dev libgeographiclib-dev libhowardhinnant-date-dev libuchardet-dev zlib1g-dev libarchive-dev rapidjson-dev tzdata libxml2-utils acl \
  gdal-bin gpsbabel python3
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKES_SANITIZE=ON -DKES_WERROR=ON -DKES_BUILD_UI=OFF -DKES_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan -j"$(nproc)"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --test-dir build-asan --output-on-failure -j"$(nproc)"
