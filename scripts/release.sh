#!/usr/bin/env bash
# Builds the release files into dist/, for each architecture (x86: preset windows, the 32-bit
# product; x64: preset windows64):
#   Quellix-<version>-<arch>.zip   Quellix.exe, quellix-rules.exe (when the tree has that
#                                  program), README.txt, SHA256SUMS
#   Quellix-<version>-<arch>.msi   the Windows Installer package (scripts/make-msi.sh)
# then Quellix-<version>-policy.zip (the policy templates of packaging/policy/, for Group Policy
# and MDMs: Quellix.admx, en-US/Quellix.adml), and dist/SHA256SUMS over them. The version is the project's (CMakeLists.txt). From the files
# of both architectures it then writes the package managers' manifests (scripts/manifests.py):
#   dist/winget/manifests/v/Velmora/Quellix/<version>/   winget (schema 1.10.0)
#   dist/scoop/quellix.json                                Scoop
# Their download addresses come from QUELLIX_DOWNLOAD_URL, the address of the folder that will
# hold a release's files ("$version" in it stands for the version; a placeholder by default),
# their home page from QUELLIX_HOMEPAGE.
#
#   scripts/release.sh [--check] [--arch x86|x64]
#
# --check then runs tests/release/check.sh: contents, signing, a second build compared byte
# for byte, and installing the package under Wine.
#
# Reproducible: the same commit gives the same bytes. Dates inside the files are
# SOURCE_DATE_EPOCH (default: the commit's time), the compiler and linker write no build folder
# and no link time. With a certificate in the environment (see scripts/sign.sh) the programs
# and packages are signed and ask Windows for UI access; without one they are unsigned and do
# not ask for it (Windows refuses to start an unsigned program that asks for it).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
check="" arches=(x86 x64)
while [ $# -gt 0 ]; do
  case $1 in
  --check) check=1 ;;
  --arch) arches=("$2"); shift ;;
  *) echo "usage: release.sh [--check] [--arch x86|x64]" >&2; exit 2 ;;
  esac
  shift
done
scripts/setup.sh release

version=$(sed -n 's/^project(Quellix VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "release.sh: no version in CMakeLists.txt" >&2; exit 1; }
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
export TZ=UTC
download=${QUELLIX_DOWNLOAD_URL:-'https://downloads.example.com/quellix/$version'}
homepage=${QUELLIX_HOMEPAGE:-https://quellix.example.com/}
signed=""
[ -n "${QUELLIX_SIGN_PKCS12:-}${QUELLIX_SIGN_CERT:-}" ] && signed=1
uiaccess=${QUELLIX_UIACCESS:-$([ -n "$signed" ] && echo ON || echo OFF)}
mkdir -p dist

# The programs of an architecture, built with its preset in the preset's build folder (the
# test command builds the same there, so after it only the exe is linked again).
build() {
  local preset=$1 dir=build/$1
  cmake --preset "$preset" -DQUELLIX_UIACCESS="$uiaccess" >&2
  local targets=(Quellix)
  # grep reads the whole list: with -q it would stop early and break the pipe under pipefail.
  if cmake --build "$dir" --target help | grep -w quellix-rules >/dev/null; then
    targets+=(quellix-rules)
  fi
  cmake --build "$dir" --target "${targets[@]}" -j "$(nproc)" >&2
  for t in "${targets[@]}"; do echo "$dir/bin/$t.exe"; done
}

user_readme() {
  local signing text
  if [ -n "$signed" ]; then
    signing="Quellix.exe and the installer are signed by Velmora."
  else
    signing="This copy is not signed: Windows may warn about an unknown publisher before its first
start."
  fi
  if [ "$uiaccess" = ON ]; then
    signing+=" Quellix.exe asks Windows for UI access, so that it can also close windows
of programs that run as administrator; Windows then starts it only from a protected folder
such as Program Files: install it with the .msi."
  else
    signing+=" It does not ask Windows for UI access, so it starts from any folder, but
it cannot close windows of programs that run as administrator."
  fi
  text=$(<packaging/README.txt)
  text=${text//@VERSION@/$version}
  printf '%s\n' "${text//@SIGNING@/$signing}" | sed 's/$/\r/'
}

for arch in "${arches[@]}"; do
  case $arch in x86) preset=windows ;; x64) preset=windows64 ;; *) echo "unknown arch $arch" >&2; exit 2 ;; esac
  echo "=== release $version $arch"
  stage=build/release/$arch
  rm -rf "$stage" && mkdir -p "$stage"
  files=()
  exes=$(build "$preset")
  for exe in $exes; do
    cp "$exe" "$stage/"
    files+=("$(basename "$exe")")
  done
  if [ -n "$signed" ]; then
    (cd "$stage" && "$root/scripts/sign.sh" "${files[@]}")
  fi
  user_readme >"$stage/README.txt"
  files+=(README.txt)
  (cd "$stage" && sha256sum "${files[@]}" >SHA256SUMS)
  files+=(SHA256SUMS)
  chmod 644 "$stage"/*
  touch -d "@$SOURCE_DATE_EPOCH" "$stage"/*

  name=Quellix-$version-$arch
  rm -f "dist/$name.zip"
  (cd "$stage" && zip -X -D -q "$root/dist/$name.zip" "${files[@]}")
  scripts/make-msi.sh "$stage" "$version" "$arch" "dist/$name.msi"
  if [ -n "$signed" ]; then
    scripts/sign.sh "dist/$name.msi"
  fi
done
policy=build/release/policy
rm -rf "$policy" && mkdir -p "$policy/en-US"
cp packaging/policy/Quellix.admx "$policy/"
cp packaging/policy/en-US/Quellix.adml "$policy/en-US/"
chmod 644 "$policy/Quellix.admx" "$policy/en-US/Quellix.adml"
touch -d "@$SOURCE_DATE_EPOCH" "$policy/Quellix.admx" "$policy/en-US/Quellix.adml"
rm -f "dist/Quellix-$version-policy.zip"
(cd "$policy" && zip -X -D -q "$root/dist/Quellix-$version-policy.zip" Quellix.admx en-US/Quellix.adml)
(cd dist && sha256sum Quellix-"$version"-*.zip Quellix-"$version"-*.msi >SHA256SUMS)
if [ -f "dist/Quellix-$version-x86.zip" ] && [ -f "dist/Quellix-$version-x64.zip" ]; then
  rm -rf dist/winget dist/scoop
  python3 scripts/manifests.py write dist "$version" "$download" "$homepage"
fi
ls -l dist

if [ -n "$check" ]; then
  tests/release/check.sh "$version"
fi
