#!/usr/bin/env bash
# Installs what building and testing the toolchain needs, on a Debian
# machine, when it is missing: CMake, Ninja, C and C++ compilers (gcc and
# clang: the tests compile generated C with both), the lemon parser
# generator, GoogleTest and Google Benchmark.
set -euo pipefail

missing=()
command -v cmake >/dev/null || missing+=(cmake)
command -v ninja >/dev/null || missing+=(ninja-build)
command -v cc >/dev/null || missing+=(gcc)
command -v c++ >/dev/null || missing+=(g++)
command -v gcc >/dev/null || missing+=(gcc)
command -v clang >/dev/null || missing+=(clang)
command -v lemon >/dev/null || missing+=(lemon)
[ -f /usr/share/lemon/lempar.c ] || missing+=(lemon)
[ -e /usr/lib/x86_64-linux-gnu/cmake/GTest/GTestConfig.cmake ] ||
  [ -n "$(find /usr/lib /usr/local/lib -name GTestConfig.cmake 2>/dev/null | head -1)" ] ||
  missing+=(libgtest-dev libgmock-dev)
[ -n "$(find /usr/lib /usr/local/lib -name benchmarkConfig.cmake 2>/dev/null | head -1)" ] ||
  missing+=(libbenchmark-dev)

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi
