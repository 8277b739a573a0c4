#!/usr/bin/env bash
# Signs programs and installer packages in place (Authenticode, SHA-256) with osslsigncode:
#   sign.sh FILE...
# The certificate comes from the environment, either
#   QUELLIX_SIGN_PKCS12=cert.pfx
# or
#   QUELLIX_SIGN_CERT=chain.pem QUELLIX_SIGN_KEY=key.pem
# with the password, if any, in the file QUELLIX_SIGN_PASSWORD_FILE or in QUELLIX_SIGN_PASSWORD.
# It reaches osslsigncode through a file or its standard input, never its command line, which
# every user of the machine can read in the process list.
# QUELLIX_SIGN_TIMESTAMP_URL names an RFC 3161 time-stamp server, so that the signature stays
# valid after the certificate expires. Without one the signing time is SOURCE_DATE_EPOCH and
# signing the same file twice gives the same bytes.
set -euo pipefail
if [ -n "${QUELLIX_SIGN_PKCS12:-}" ]; then
  cert=(-pkcs12 "$QUELLIX_SIGN_PKCS12")
elif [ -n "${QUELLIX_SIGN_CERT:-}" ] && [ -n "${QUELLIX_SIGN_KEY:-}" ]; then
  cert=(-certs "$QUELLIX_SIGN_CERT" -key "$QUELLIX_SIGN_KEY")
else
  echo "sign.sh: no certificate: set QUELLIX_SIGN_PKCS12, or QUELLIX_SIGN_CERT and QUELLIX_SIGN_KEY" >&2
  exit 2
fi
password=()
if [ -n "${QUELLIX_SIGN_PASSWORD_FILE:-}" ]; then
  password=(-readpass "$QUELLIX_SIGN_PASSWORD_FILE")
elif [ -n "${QUELLIX_SIGN_PASSWORD:-}" ]; then
  password=(-readpass -)
fi
if [ -n "${QUELLIX_SIGN_TIMESTAMP_URL:-}" ]; then
  when=(-ts "$QUELLIX_SIGN_TIMESTAMP_URL")
else
  when=(-time "${SOURCE_DATE_EPOCH:-$(date +%s)}")
fi
for file in "$@"; do
  # printf is a shell builtin: the password appears in no process's arguments.
  printf '%s' "${QUELLIX_SIGN_PASSWORD:-}" |
    osslsigncode sign "${cert[@]}" "${password[@]}" "${when[@]}" -h sha256 -n Quellix \
      -i https://velmora.example/quellix -in "$file" -out "$file.signed" >/dev/null
  mv "$file.signed" "$file"
done
