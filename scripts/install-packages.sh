#!/usr/bin/env bash
# Installs what building and testing the toolchain needs, on a Debian
# machine, when it is missing.
#
#   scripts/install-packages.sh --tools   what building the programs needs:
#                                         CMake, Ninja, C and C++ compilers,
#                                         the lemon parser generator and the
#                                         JSON library of kivls (nlohmann-json)
#   scripts/install-packages.sh           that, and what the tests use: clang
#                                         (generated C is compiled with both
#                                         compilers), GoogleTest and Google
#                                         Benchmark, clang-format (the format
#                                         check); for the tests that build
#                                         outside projects and packages: make,
#                                         pkg-config, dpkg-shlibdeps and file
#                                         (both used by cpack -G DEB) and
#                                         lintian; for the editor-support
#                                         tests Node.js with npm (the TextMate
#                                         tokenizer and the protocol client
#                                         library), Vim, Neovim, man and groff;
#                                         strace for kivg's tests that stop it
#                                         at each commit step.
set -euo pipefail

tools_only=false
case "${1:-}" in
  --tools) tools_only=true ;;
  "") ;;
  *) echo "usage: $0 [--tools]" >&2; exit 1 ;;
esac

missing=()
command -v cmake >/dev/null || missing+=(cmake)
command -v ninja >/dev/null || missing+=(ninja-build)
command -v cc >/dev/null || missing+=(gcc)
command -v c++ >/dev/null || missing+=(g++)
command -v gcc >/dev/null || missing+=(gcc)
command -v lemon >/dev/null || missing+=(lemon)
[ -f /usr/share/lemon/lempar.c ] || missing+=(lemon)
[ -f /usr/include/nlohmann/json.hpp ] || missing+=(nlohmann-json3-dev)
if ! $tools_only; then
  command -v clang >/dev/null || missing+=(clang)
  command -v clang-format >/dev/null || missing+=(clang-format)
  [ -e /usr/lib/x86_64-linux-gnu/cmake/GTest/GTestConfig.cmake ] ||
    [ -n "$(find /usr/lib /usr/local/lib -name GTestConfig.cmake 2>/dev/null | head -1)" ] ||
    missing+=(libgtest-dev libgmock-dev)
  [ -n "$(find /usr/lib /usr/local/lib -name benchmarkConfig.cmake 2>/dev/null | head -1)" ] ||
    missing+=(libbenchmark-dev)
  command -v make >/dev/null || missing+=(make)
  command -v pkg-config >/dev/null || missing+=(pkgconf)
  command -v dpkg-shlibdeps >/dev/null || missing+=(dpkg-dev)
  command -v file >/dev/null || missing+=(file)
  command -v lintian >/dev/null || missing+=(lintian)
  command -v node >/dev/null || missing+=(nodejs)
  command -v npm >/dev/null || missing+=(npm)
  command -v vim >/dev/null || missing+=(vim)
  command -v nvim >/dev/null || missing+=(neovim)
  command -v man >/dev/null || missing+=(man-db)
  command -v groff >/dev/null || missing+=(groff-base)
  command -v strace >/dev/null || missing+=(strace)
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi
