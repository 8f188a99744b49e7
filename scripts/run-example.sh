#!/usr/bin/env bash
# Builds the toolchain and runs the main job on the bundled examples: kivg
# turns examples/hello/hello.kivs into its spec file and C code, then a script
# is compiled against kivs's standard built-in spec and run with kivs.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-packages.sh

cmake -S . -B build -G Ninja
cmake --build build -j "$(nproc 2>/dev/null || echo 2)"

out=build/example
mkdir -p "$out"
build/bin/kivg -s "$out/" -c "$out/" examples/hello/hello.kivs
build/bin/kivc build/standalone/standalone.kivec examples/greet.kiv -o "$out/greet"
build/bin/kivs "$out/greet" world
