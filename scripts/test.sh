#!/usr/bin/env bash
# Builds everything with warnings as errors and runs every test, then does the
# same in a build with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-packages.sh

jobs=$(nproc 2>/dev/null || echo 2)

# The C++ sources follow .clang-format; a file that drifts fails here first.
git ls-files -z '*.cc' '*.h' ':!include/' |
  xargs -0 clang-format --dry-run --Werror

cmake -S . -B build -G Ninja -DKIV_WERROR=ON
cmake --build build -j "$jobs"
ctest --test-dir build -j "$jobs" --output-on-failure

cmake -S . -B build-sanitize -G Ninja -DKIV_WERROR=ON -DKIV_SANITIZE=ON \
  -DCMAKE_BUILD_TYPE=Debug
cmake --build build-sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 ctest --test-dir build-sanitize -j "$jobs" \
  --output-on-failure
