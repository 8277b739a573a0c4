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
ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 || need+=(libclang-rt-14-dev)

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

have dpkg-source || need+=(dpkg-dev)

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

# PCRE2's sources, pinned to one version of Debian's source package: our CMake builds them
# for every preset (static, 16-bit), so the release files stay reproducible.
pcre2_version=10.42-1
pcre2_dir=build/deps/pcre2-${pcre2_version%-*}
cd "$(dirname "$0")/.."
if [ ! -f "$pcre2_dir/CMakeLists.txt" ]; then
  if ! apt-cache showsrc pcre2 2>/dev/null | grep -x "Version: $pcre2_version" >/dev/null; then
    # The archive's deb-src entry, beside its deb entry.
    src=/etc/apt/sources.list.d/debian.sources
    [ -f "$src" ] || { echo "setup.sh: no $src to take the deb-src entry from" >&2; exit 1; }
    sed 's/^Types: deb$/Types: deb-src/' "$src" | $SUDO tee /etc/apt/sources.list.d/quellix-deb-src.sources >/dev/null
    $SUDO apt-get update -q
  fi
  mkdir -p build/deps
  tmp=$(mktemp -d build/deps/.fetch-XXXXXX)
  # apt warns that it fetches as root, not as _apt, into this folder: harmless.
  (cd "$tmp" && apt-get source -q "pcre2=$pcre2_version" >/dev/null 2>&1) ||
    { echo "setup.sh: apt-get source pcre2=$pcre2_version failed" >&2; exit 1; }
  rm -rf "$pcre2_dir"
  mv "$tmp/pcre2-${pcre2_version%-*}" "$pcre2_dir"
  rm -rf "$tmp"
fi
