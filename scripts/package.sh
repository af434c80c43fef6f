#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the desktop program and its Debian package, build/kestranscribe_VERSION_ARCH.deb:
#   bash scripts/package.sh && sudo apt install ./build/kestranscribe_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
bash scripts/install-packages.sh "${BUILD_PACKAGES[@]}" dpkg-dev file
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
# CPack installs from the whole build, so it is built whole first.
cmake --build build -j"$(nproc)"
(cd build && cpack -G DEB)
