#!/usr/bin/env bash
# The main job: builds the programs it runs, then runs them on the bundled
# examples. kivg turns examples/hello/hello.kivs into its spec file and C
# code, then examples/greet.kiv is compiled with the stand-in compiler
# against kivs's standard built-in spec and run with kivs.
#
# The build tree is its own, build-example/, without the tests (they and
# their packages are scripts/test.sh's), and only kivg, kivs and kivc are
# built, so that a fresh clone gets to the example quickly.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-packages.sh --tools

build=build-example
cmake -S . -B "$build" -G Ninja -DKIV_BUILD_TESTS=OFF -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target kivg kivs kivc

out=$build/example
mkdir -p "$out"
"$build/bin/kivg" -s "$out/" -c "$out/" examples/hello/hello.kivs
"$build/bin/kivc" "$build/standalone/standalone.kivec" examples/greet.kiv -o "$out/greet"
"$build/bin/kivs" "$out/greet" world
