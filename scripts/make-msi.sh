#!/usr/bin/env bash
# Builds the Windows Installer package from a folder with the release files:
#   make-msi.sh PAYLOAD_DIR VERSION x86|x64 OUT.msi
# Reproducible: the product code follows the version and architecture, the package code the
# package's contents, and the package's dates are SOURCE_DATE_EPOCH (wixl stamps the current
# time and a random package code, so it runs at a fixed clock and the code is set afterwards).
set -euo pipefail
payload=$1 version=$2 arch=$3 out=$4
root=$(cd "$(dirname "$0")/.." && pwd)
: "${SOURCE_DATE_EPOCH:?set SOURCE_DATE_EPOCH}"

# A name-based GUID: the first 128 bits of the SHA-256 of the name, version bits set.
guid_of() {
  local h
  h=$(printf '%s' "$1" | sha256sum | cut -c1-32)
  printf '%s-%s-5%s-%x%s-%s\n' "${h:0:8}" "${h:8:4}" "${h:13:3}" $(((0x${h:16:1} & 3) | 8)) \
    "${h:17:3}" "${h:20:12}" | tr a-f A-F
}

with_rules=0
[ -f "$payload/quellix-rules.exe" ] && with_rules=1
product_code=$(guid_of "Quellix $version $arch")
package_code=$(guid_of "$(cd "$payload" && sha256sum -- * && sha256sum "$root/packaging/Quellix.wxs" "$root/res/Quellix.ico" | cut -c1-64) $version $arch")
clock=$(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S')
case $arch in x86) template="Intel;1033" ;; x64) template="x64;1033" ;; esac

# wixl takes files by paths relative to the folder it runs in.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$payload"/* "$root/res/Quellix.ico" "$work/"
touch -d "@$SOURCE_DATE_EPOCH" "$work"/*  # the cabinet keeps the files' dates
# The rule tool's component is in the package only when the tool was built.
(cd "$work" && TZ=UTC faketime -f "$clock" wixl -a "$arch" -o package.msi \
  -D Version="$version" -D Arch="$arch" -D ProductCode="$product_code" \
  -D Payload=. -D Icon=Quellix.ico -D WithRules="$with_rules" "$root/packaging/Quellix.wxs")
(cd "$work" && TZ=UTC faketime -f "$clock" msibuild package.msi -s "Quellix $version ($arch)" Velmora "$template" "{$package_code}")
mv "$work/package.msi" "$out"
