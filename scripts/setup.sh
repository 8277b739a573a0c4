#!/usr/bin/env bash
# Installs what building and testing need on Debian 12 and on Ubuntu 22.04 or 24.04 (amd64),
# whichever way the system lists its archive (one-line sources.list entries or deb822 .sources
# files). Idempotent; does nothing when all is there. Needs no deb-src entry.
#   setup.sh [release]   (release: also what scripts/release.sh needs)
# tests/setup/sources.sh runs its functions against made-up /etc folders.
set -euo pipefail

have() { command -v "$1" >/dev/null 2>&1; }

# The field of os-release in the folder $1 (an /etc): ID, VERSION_ID...
os_field() {
  local file=$1/os-release
  [ -f "$file" ] || file=/usr/lib/os-release
  sed -n "s/^$2=//p" "$file" | tr -d '"' | head -n 1
}

# Every enabled binary entry of the archive lists in the folder $1 (an /etc), one
# "URI SUITE COMPONENT SIGNED-BY" line per component ("-" when the entry names no key).
apt_entries() {
  local apt=$1/apt lists=() file
  [ -f "$apt/sources.list" ] && lists+=("$apt/sources.list")
  for file in "$apt"/sources.list.d/*.list; do [ -f "$file" ] && lists+=("$file"); done
  if [ ${#lists[@]} -gt 0 ]; then
    # deb [options] URI SUITE COMPONENT...
    awk '{ sub(/#.*/, "") }
      $1 == "deb" {
        key = "-"
        if ($2 ~ /^\[/) {
          options = $0; sub(/^[^[]*\[/, "", options); sub(/\].*/, "", options)
          if (match(options, /signed-by=[^ ]*/)) key = substr(options, RSTART + 10, RLENGTH - 10)
          sub(/^[^]]*\]/, ""); $0 = "deb " $0
        }
        for (i = 4; i <= NF; i++) print $2, $3, $i, key
      }' "${lists[@]}"
  fi
  lists=()
  for file in "$apt"/sources.list.d/*.sources; do [ -f "$file" ] && lists+=("$file"); done
  [ ${#lists[@]} -gt 0 ] || return 0
  # Stanzas of "Field: values" lines, a blank line between them; a line that starts with a
  # blank continues the field before it (Signed-By may hold a whole key).
  awk 'function flush(  t, u, s, c, nt, nu, ns, nc, i, j, k, l) {
        nt = split(f["types"], t, " ")
        for (i = 1; i <= nt; i++) if (t[i] == "deb" && tolower(f["enabled"]) != "no") {
          nu = split(f["uris"], u, " "); ns = split(f["suites"], s, " ")
          nc = split(f["components"], c, " ")
          key = f["signed-by"] ~ /^[^ ]+$/ ? f["signed-by"] : "-"
          for (j = 1; j <= nu; j++) for (k = 1; k <= ns; k++) for (l = 1; l <= nc; l++)
            print u[j], s[k], c[l], key
        }
        delete f; field = ""
      }
      FNR == 1 { flush() }
      /^#/ { next }
      /^[ \t]*$/ { flush(); next }
      /^[ \t]/ { if (field != "") f[field] = f[field] " " $0; next }
      { field = tolower($0); sub(/:.*/, "", field)
        value = $0; sub(/^[^:]*:[ \t]*/, "", value); sub(/[ \t]+$/, "", value); f[field] = value }
      END { flush() }' "${lists[@]}"
}

# On Ubuntu, Wine, MinGW-w64, GoogleTest and the release tools are in the universe component:
# when no entry enables it, the archive's entries (those with restricted, which a PPA or
# another vendor's list does not have) with universe instead, as a deb822 list.
universe_list() {
  [ "$(os_field "$1" ID)" = ubuntu ] || return 0
  local entries
  entries=$(apt_entries "$1")
  awk '$3 == "universe" { found = 1 } END { exit !found }' <<<"$entries" && return 0
  awk '$3 == "restricted" && !seen[$1 " " $2]++ {
        if (!($1 in suites)) { order[++n] = $1; key[$1] = $4 }
        suites[$1] = suites[$1] " " $2
      }
      END {
        for (i = 1; i <= n; i++) {
          if (i > 1) print ""
          print "Types: deb"; print "URIs: " order[i]; print "Suites:" suites[order[i]]
          print "Components: universe"
          if (key[order[i]] != "-") print "Signed-By: " key[order[i]]
        }
      }' <<<"$entries"
}

# The fuzzers' runtime of the installed clang, in the folder layout of LLVM 14 (Debian 12,
# Ubuntu 22.04) or of later ones (Ubuntu 24.04).
fuzzer_lib() {
  local lib
  for lib in /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a \
    /usr/lib/llvm-*/lib/clang/*/lib/x86_64-*linux-gnu/libclang_rt.fuzzer.a; do
    [ -f "$lib" ] && return 0
  done
  return 1
}

main() {
  local need=()
  # The compilers with the posix thread model, named so by the toolchain files: whichever
  # variant the unsuffixed names' alternatives choose does not matter.
  have i686-w64-mingw32-g++-posix || need+=(g++-mingw-w64-i686-posix)
  have x86_64-w64-mingw32-g++-posix || need+=(g++-mingw-w64-x86-64-posix)
  have cmake || need+=(cmake)
  have python3 || need+=(python3)
  have make || need+=(make)
  have git || need+=(git)
  have wine || need+=(wine wine64)
  dpkg -s wine32:i386 >/dev/null 2>&1 || need+=(wine32:i386)
  have Xvfb || need+=(xvfb)
  have import || need+=(imagemagick)
  dpkg -s fonts-wine >/dev/null 2>&1 || need+=(fonts-wine)
  have xdotool || need+=(xdotool)
  [ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
  have clang++ || need+=(clang)
  [ -f /usr/include/benchmark/benchmark.h ] || need+=(libbenchmark-dev)
  if [ "${1:-}" = release ]; then
    have wixl || need+=(wixl)
    have msibuild || need+=(msitools)
    have faketime || need+=(faketime)
    have osslsigncode || need+=(osslsigncode)
    have openssl || need+=(openssl)
    have zip || need+=(zip)
    have unzip || need+=(unzip)
    have strings || need+=(binutils)
    # The manifests' check: the schemas' validator and a YAML reader.
    python3 -c 'import jsonschema' 2>/dev/null || need+=(python3-jsonschema)
    python3 -c 'import yaml' 2>/dev/null || need+=(python3-yaml)
  fi

  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    have sudo || { echo "setup.sh: run as root, or install sudo" >&2; exit 1; }
    sudo=(sudo)
  fi
  export DEBIAN_FRONTEND=noninteractive
  local apt=(apt-get -o DPkg::Lock::Timeout=600 -y -q --no-install-recommends)
  if [ ${#need[@]} -gt 0 ]; then
    local arch
    arch=$(dpkg --print-architecture)
    [ "$arch" = amd64 ] || { echo "setup.sh: needs an amd64 system (this one is $arch)" >&2; exit 1; }
    # wine32 comes from the i386 architecture.
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
      "${sudo[@]}" dpkg --add-architecture i386
    fi
    local universe
    universe=$(universe_list /etc)
    if [ -n "$universe" ]; then
      echo "setup.sh: enabling Ubuntu's universe component (/etc/apt/sources.list.d/quellix-universe.sources)"
      printf '%s\n' "$universe" | "${sudo[@]}" tee /etc/apt/sources.list.d/quellix-universe.sources >/dev/null
    fi
    "${sudo[@]}" apt-get update -q
    "${sudo[@]}" "${apt[@]}" install "${need[@]}"
  fi

  # Its own package on Debian 12 and Ubuntu 24.04 (libclang-rt-N-dev), part of clang's on
  # Ubuntu 22.04.
  if ! fuzzer_lib; then
    local major
    major=$(clang++ --version | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -n 1)
    "${sudo[@]}" "${apt[@]}" install "libclang-rt-$major-dev"
  fi

  # The presets' version 3 (toolchain files) needs CMake 3.21; Ubuntu 22.04 has 3.22.
  local major minor
  IFS=. read -r major minor _ <<<"$(cmake --version | sed -n 's/^cmake version //p')"
  if [ "$major" -lt 3 ] || { [ "$major" -eq 3 ] && [ "$minor" -lt 21 ]; }; then
    echo "setup.sh: CMake $major.$minor is older than 3.21, which the presets need" >&2
    exit 1
  fi
}

# Sourced by the test of the functions above: then it installs nothing.
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  main "$@"
fi
