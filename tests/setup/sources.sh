#!/usr/bin/env bash
# scripts/setup.sh's reading of the archive lists, on /etc folders as fresh Debian 12 and
# Ubuntu 22.04 / 24.04 systems have them, in one-line and in deb822 form.
set -euo pipefail
. "$(dirname "$0")/../../scripts/setup.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
expect() { # expect WHAT GOT EXPECTED
  if [ "$2" != "$3" ]; then
    printf 'FAIL %s\n--- got:\n%s\n--- expected:\n%s\n' "$1" "$2" "$3"
    failed=1
  fi
}
# system NAME ID: an /etc with its os-release; files are written into it afterwards.
system() {
  mkdir -p "$work/$1/apt/sources.list.d"
  printf 'PRETTY_NAME="x"\nID=%s\n' "$2" >"$work/$1/os-release"
  echo "$work/$1"
}

etc=$(system debian-deb822 debian)
cat >"$etc/apt/sources.list.d/debian.sources" <<'EOF'
Types: deb
# http://snapshot.debian.org/archive/debian/20250520T000000Z
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
EOF
expect "Debian, deb822" "$(apt_entries "$etc")" \
  "http://deb.debian.org/debian bookworm main /usr/share/keyrings/debian-archive-keyring.gpg
http://deb.debian.org/debian bookworm-updates main /usr/share/keyrings/debian-archive-keyring.gpg"
expect "Debian needs no universe" "$(universe_list "$etc")" ""

etc=$(system debian-classic debian)
cat >"$etc/apt/sources.list" <<'EOF'
#deb cdrom:[Debian GNU/Linux 12.5.0 _Bookworm_ - Official amd64 NETINST]/ bookworm main

deb http://deb.debian.org/debian/ bookworm main non-free-firmware
deb-src http://deb.debian.org/debian/ bookworm main non-free-firmware
deb [arch=amd64,i386 signed-by=/etc/apt/keyrings/x.gpg] http://security.debian.org/debian-security bookworm-security main # fixes
EOF
expect "Debian, one-line entries with options and comments" "$(apt_entries "$etc")" \
  "http://deb.debian.org/debian/ bookworm main -
http://deb.debian.org/debian/ bookworm non-free-firmware -
http://security.debian.org/debian-security bookworm-security main /etc/apt/keyrings/x.gpg"

etc=$(system ubuntu-2204 ubuntu)
cat >"$etc/apt/sources.list" <<'EOF'
deb http://archive.ubuntu.com/ubuntu/ jammy main restricted
deb http://archive.ubuntu.com/ubuntu/ jammy-updates main restricted
# deb http://archive.ubuntu.com/ubuntu/ jammy universe
deb http://security.ubuntu.com/ubuntu/ jammy-security main restricted
EOF
echo "deb https://ppa.launchpadcontent.net/some/ppa/ubuntu/ jammy main" \
  >"$etc/apt/sources.list.d/some-ppa.list"
expect "Ubuntu 22.04 without universe: the archive's entries get it, not a PPA" \
  "$(universe_list "$etc")" "Types: deb
URIs: http://archive.ubuntu.com/ubuntu/
Suites: jammy jammy-updates
Components: universe

Types: deb
URIs: http://security.ubuntu.com/ubuntu/
Suites: jammy-security
Components: universe"
echo "deb http://archive.ubuntu.com/ubuntu/ jammy universe" >>"$etc/apt/sources.list"
expect "Ubuntu 22.04 with universe" "$(universe_list "$etc")" ""

etc=$(system ubuntu-2404 ubuntu)
echo "# Ubuntu sources have moved to /etc/apt/sources.list.d/ubuntu.sources" >"$etc/apt/sources.list"
cat >"$etc/apt/sources.list.d/ubuntu.sources" <<'EOF'
Types: deb
URIs: http://archive.ubuntu.com/ubuntu/
Suites: noble noble-updates noble-backports
Components: main restricted
Signed-By: /usr/share/keyrings/ubuntu-archive-keyring.gpg

Types: deb
URIs: http://archive.ubuntu.com/ubuntu/
Suites: noble
Components: universe
Enabled: no
Signed-By: /usr/share/keyrings/ubuntu-archive-keyring.gpg
EOF
cat >"$etc/apt/sources.list.d/vendor.sources" <<'EOF'
Types: deb
URIs: https://vendor.example/apt
Suites: noble
Components: main restricted universe
Signed-By:
 -----BEGIN PGP PUBLIC KEY BLOCK-----
 .
 mQINBGTkey
 -----END PGP PUBLIC KEY BLOCK-----
Enabled: no
EOF
expect "Ubuntu 24.04, deb822 without universe (a disabled stanza does not count)" \
  "$(universe_list "$etc")" "Types: deb
URIs: http://archive.ubuntu.com/ubuntu/
Suites: noble noble-updates noble-backports
Components: universe
Signed-By: /usr/share/keyrings/ubuntu-archive-keyring.gpg"
sed -i 's/^Components: main restricted$/Components: main restricted universe multiverse/' \
  "$etc/apt/sources.list.d/ubuntu.sources"
expect "Ubuntu 24.04 as installed" "$(universe_list "$etc")" ""

[ "$failed" -eq 0 ] && echo "setup's sources: all passed"
exit "$failed"
