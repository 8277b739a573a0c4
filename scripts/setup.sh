#!/usr/bin/env bash
# Installs what building and testing need on Debian/Ubuntu. Idempotent; does nothing when all is there.
#   setup.sh [release]   (release: also what scripts/release.sh needs)
set -euo pipefail

need=()
have() { command -v "$1" >/dev/null 2>&1; }
have i686-w64-mingw32-g++-posix || need+=(g++-mingw-w64-i686)
have x86_64-w64-mingw32-g++-posix || need+=(g++-mingw-w64-x86-64)
have cmake || need+=(cmake)
have python3 || need+=(python3)
have make || need+=(make)
have wine || need+=(wine wine32 wine64)
have Xvfb || need+=(xvfb)
have import || need+=(imagemagick)
dpkg -s fonts-wine >/dev/null 2>&1 || need+=(fonts-wine)
have xdotool || need+=(xdotool)
[ -d /usr/src/googletest ] || need+=(googletest)
have clang++ || need+=(clang)
dpkg -s wine32:i386 >/dev/null 2>&1 || need+=(wine32:i386)

[ -f /usr/include/benchmark/benchmark.h ] || need+=(libbenchmark-dev)

if [ "${1:-}" = release ]; then
  have wixl || need+=(wixl)
  have msibuild || need+=(msitools)
  have faketime || need+=(faketime)
  have osslsigncode || need+=(osslsigncode)
  have openssl || need+=(openssl)
  have zip || need+=(zip)
  have unzip || need+=(unzip)
  # The manifests' check: the schemas' validator and a YAML reader.
  python3 -c 'import jsonschema' 2>/dev/null || need+=(python3-jsonschema)
  python3 -c 'import yaml' 2>/dev/null || need+=(python3-yaml)
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
export DEBIAN_FRONTEND=noninteractive
if [ ${#need[@]} -gt 0 ]; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  $SUDO apt-get update -q
  $SUDO apt-get install -o DPkg::Lock::Timeout=600 -y -q --no-install-recommends "${need[@]}"
fi

# The fuzzers' runtime of the installed clang: its own package on Debian 12 and Ubuntu 24.04
# (libclang-rt-N-dev), part of clang's on Ubuntu 22.04.
fuzzer_lib() { ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; }
if ! fuzzer_lib; then
  clang_major=$(clang++ --version | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -n 1)
  $SUDO apt-get install -o DPkg::Lock::Timeout=600 -y -q --no-install-recommends "libclang-rt-$clang_major-dev"
fi
