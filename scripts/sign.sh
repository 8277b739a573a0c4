#!/usr/bin/env bash
# Signs programs and installer packages in place (Authenticode, SHA-256) with osslsigncode:
#   sign.sh FILE...
# The certificate comes from the environment, either
#   QUELLIX_SIGN_PKCS12=cert.pfx                          (its password in QUELLIX_SIGN_PASSWORD)
# or
#   QUELLIX_SIGN_CERT=chain.pem QUELLIX_SIGN_KEY=key.pem  (the key's password likewise)
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
[ -n "${QUELLIX_SIGN_PASSWORD:-}" ] && cert+=(-pass "$QUELLIX_SIGN_PASSWORD")
if [ -n "${QUELLIX_SIGN_TIMESTAMP_URL:-}" ]; then
  when=(-ts "$QUELLIX_SIGN_TIMESTAMP_URL")
else
  when=(-time "${SOURCE_DATE_EPOCH:-$(date +%s)}")
fi
for file in "$@"; do
  osslsigncode sign "${cert[@]}" "${when[@]}" -h sha256 -n Quellix \
    -i https://velmora.example/quellix -in "$file" -out "$file.signed" >/dev/null
  mv "$file.signed" "$file"
done
