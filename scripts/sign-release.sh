#!/usr/bin/env bash
# Signs the given PE files in place with Authenticode (RSA, SHA-256, osslsigncode) when the
# release is given a certificate; does nothing otherwise, so an unsigned release keeps its bytes.
#   CORVANE_SIGN_PKCS12          PKCS#12 file with the RSA certificate (and its chain) and its key
#   CORVANE_SIGN_PASSWORD_FILE   file whose first line is that file's password
#   CORVANE_SIGN_TIMESTAMP_URL   RFC 3161 time-stamping service (optional)
# The signing time is SOURCE_DATE_EPOCH when set: without a time stamp, one key then signs one
# commit's files to the same bytes every time.
#   sign-release.sh FILE...
set -euo pipefail

[ -n "${CORVANE_SIGN_PKCS12:-}" ] || exit 0
fail() { printf '== signing: %s\n' "$*" >&2; exit 1; }
password=${CORVANE_SIGN_PASSWORD_FILE:-}
[ -r "$CORVANE_SIGN_PKCS12" ] || fail "cannot read CORVANE_SIGN_PKCS12 ($CORVANE_SIGN_PKCS12)"
[ -r "$password" ] || fail "cannot read CORVANE_SIGN_PASSWORD_FILE (${password:-not set})"

# Smart App Control trusts RSA signatures; refuse another key type before signing anything.
key=$(openssl pkcs12 -in "$CORVANE_SIGN_PKCS12" -passin "file:$password" -nocerts -nodes 2>/dev/null ||
    openssl pkcs12 -legacy -in "$CORVANE_SIGN_PKCS12" -passin "file:$password" -nocerts -nodes 2>/dev/null) ||
    fail "cannot open $CORVANE_SIGN_PKCS12 with the password in $password"
openssl pkey -pubout -outform DER <<<"$key" | openssl asn1parse -inform DER | grep -q rsaEncryption ||
    fail "the key in $CORVANE_SIGN_PKCS12 is not an RSA key"

options=(-pkcs12 "$CORVANE_SIGN_PKCS12" -readpass "$password" -h sha256 -n Corvane)
[ -z "${SOURCE_DATE_EPOCH:-}" ] || options+=(-time "$SOURCE_DATE_EPOCH")
[ -z "${CORVANE_SIGN_TIMESTAMP_URL:-}" ] || options+=(-ts "$CORVANE_SIGN_TIMESTAMP_URL")
for file in "$@"; do
    rm -f "$file.signed"
    osslsigncode sign "${options[@]}" -in "$file" -out "$file.signed" >/dev/null ||
        { rm -f "$file.signed"; fail "osslsigncode could not sign $file"; }
    mv "$file.signed" "$file"
    printf '== signed: %s\n' "$file" >&2
done
