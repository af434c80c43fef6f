#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks that the C++ sources follow .clang-format: the files changed since
# BASE when one is given (a commit), otherwise every tracked source.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-packages.sh clang-format
if [ $# -gt 0 ]; then
  mapfile -t files < <(git diff --name-only --diff-filter=d "$1" -- '*.cpp' '*.h')
else
  mapfile -t files < <(git ls-files '*.cpp' '*.h')
fi
[ ${#files[@]} -eq 0 ] && exit 0
clang-format --dry-run --Werror "${files[@]}"
