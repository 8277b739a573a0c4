#!/usr/bin/env bash
# Vendors RE2's library sources into third_party/re2/ from Debian's source package, with our
# patches from third_party/patches/ applied (re2-search-work.patch: a budget of work per search;
# re2-no-iostreams.patch: no iostreams; re2-comment-wording.sed: two comments in our words).
#   scripts/update-re2.sh [DEBIAN_VERSION SHA256_OF_ORIG_TARBALL]
# Without arguments it fetches the version recorded below again (the files must come out the
# same). To update, pass the new version and the SHA-256 of its .orig.tar.xz (as its .dsc in
# the archive's pool/main/r/re2/ lists it), review the package's debian/patches (printed at the
# end), then build and test. The source package comes straight from the archive's pool
# (QUELLIX_DEBIAN_MIRROR, default deb.debian.org; snapshot.debian.org/archive/debian/<time> keeps
# every version), so apt needs no deb-src entry. Needs python3 with six, perl, dpkg-dev and the
# package unicode-data: Debian's archive strips the generated tables, they are made here from
# its Unicode data as the package's own build does.
set -euo pipefail
version=${1:-20220601+dfsg-1}
sha256=${2:-3bc61251da3b0b97be40a8a127818c517c62516e4eda11fc901d29496663df54}
cd "$(dirname "$0")/.."
dest=third_party/re2
[ -d /usr/share/unicode ] || { echo "update-re2.sh: install the package unicode-data" >&2; exit 1; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
pool=${QUELLIX_DEBIAN_MIRROR:-http://deb.debian.org/debian}/pool/main/r/re2
fetch() {
  python3 -c 'import sys, urllib.request
with urllib.request.urlopen(sys.argv[1], timeout=120) as r, open(sys.argv[2], "wb") as f:
    f.write(r.read())' "$pool/$1" "$tmp/$1" ||
    { echo "update-re2.sh: cannot fetch $pool/$1" >&2; exit 1; }
}
dsc=re2_${version#*:}.dsc
fetch "$dsc"
# The files the .dsc lists; dpkg-source checks their sizes and checksums against it.
for f in $(sed -n '/^Files:/,/^[^ ]/s/^ [0-9a-f]\{32\} [0-9]* //p' "$tmp/$dsc"); do
  fetch "$f"
done
orig=$(ls "$tmp"/re2_*.orig.tar.*)
echo "$sha256  $orig" | sha256sum --quiet -c - ||
  { echo "update-re2.sh: $orig does not have SHA-256 $sha256" >&2; exit 1; }
(cd "$tmp" && dpkg-source -q -x ./*.dsc src >/dev/null 2>&1)
src=$tmp/src

# The generated tables, as the package's build makes them.
(cd "$src/re2" &&
  perl make_perl_groups.pl >perl_groups.cc &&
  python3 make_unicode_casefold.py >unicode_casefold.cc &&
  python3 make_unicode_groups.py >unicode_groups.cc)

# The library's files only: no tests, benchmarks, fuzzers or build files of its own.
rm -rf "$dest"
mkdir -p "$dest/re2" "$dest/util"
cp "$src/LICENSE" "$dest/"
for f in bitstate compile dfa filtered_re2 mimics_pcre nfa onepass parse perl_groups prefilter \
  prefilter_tree prog re2 regexp set simplify stringpiece tostring unicode_casefold \
  unicode_groups; do
  cp "$src/re2/$f.cc" "$dest/re2/"
done
cp "$src"/re2/*.h "$dest/re2/"
cp "$src"/util/{rune,strutil}.cc "$src"/util/{logging,mix,mutex,strutil,utf,util}.h "$dest/util/"
for p in third_party/patches/re2-*.patch; do
  patch -s -p1 -d "$dest" <"$p"
done
# Each sed script must still find what it rewords.
for s in third_party/patches/re2-*.sed; do
  before=$(cat "$dest"/re2/re2.h "$dest"/re2/re2.cc | sha256sum)
  sed -i -f "$s" "$dest"/re2/re2.h "$dest"/re2/re2.cc
  [ "$(cat "$dest"/re2/re2.h "$dest"/re2/re2.cc | sha256sum)" != "$before" ] ||
    { echo "update-re2.sh: $s changed nothing" >&2; exit 1; }
done

unicode=$(dpkg-query -W -f '${Version}' unicode-data)
cat >"$dest/VERSION" <<EOF
RE2 ${version%%+*} (upstream release $(echo "${version%%+*}" | sed 's/\(....\)\(..\)\(..\)/\1-\2-\3/')),
from Debian's source package re2 $version: $(basename "$orig")
SHA-256 $sha256
Tables re2/perl_groups.cc, re2/unicode_casefold.cc, re2/unicode_groups.cc generated from
Debian's unicode-data $unicode by the package's own scripts.
Debian patches: $(tr '\n' ' ' <"$src/debian/patches/series")(neither a security fix)
Our patches: $(cd third_party/patches && ls re2-*.patch re2-*.sed | tr '\n' ' ')
Vendored by scripts/update-re2.sh; built by cmake/re2.cmake.
EOF
echo "Vendored into $dest. Debian's patches to review (security fixes must be in):"
sed 's/^/  /' "$src/debian/patches/series"
