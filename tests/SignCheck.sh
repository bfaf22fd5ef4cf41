#!/usr/bin/env bash
# The release's signing step with a throwaway self-signed RSA certificate made here: osslsigncode
# accepts each signed copy (SHA-256), and with its signature removed each copy is the unsigned
# file byte for byte. The signed copies and the certificate stay in DIR for a reader to check
# again (osslsigncode verify -CAfile DIR/cert.pem -in DIR/NAME); the key is deleted.
#   SignCheck.sh DIR FILE...
set -euo pipefail
dir=$1
shift
rm -rf "$dir"
mkdir -p "$dir/key"
export CORVANE_SIGN_PKCS12=$dir/key/test.p12 CORVANE_SIGN_PASSWORD_FILE=$dir/key/password
unset CORVANE_SIGN_TIMESTAMP_URL
openssl req -x509 -newkey rsa:2048 -sha256 -days 7 -nodes -subj "/CN=Corvane test signing" \
    -addext extendedKeyUsage=codeSigning -keyout "$dir/key/key.pem" -out "$dir/cert.pem" 2>/dev/null
echo "throwaway $RANDOM" >"$CORVANE_SIGN_PASSWORD_FILE"
openssl pkcs12 -export -inkey "$dir/key/key.pem" -in "$dir/cert.pem" \
    -passout "file:$CORVANE_SIGN_PASSWORD_FILE" -out "$CORVANE_SIGN_PKCS12"

status=0
for file in "$@"; do
    copy=$dir/$(basename "$file")
    cp "$file" "$copy"
    "$(dirname "$0")/../scripts/sign-release.sh" "$copy"
    report=$(osslsigncode verify -CAfile "$dir/cert.pem" -in "$copy" 2>&1) || true
    if ! grep -q '^Signature verification: ok' <<<"$report" ||
        ! grep -q '^Message digest algorithm *: SHA256' <<<"$report"; then
        printf '%s\n' "$report"
        echo "$copy: not an accepted SHA-256 signature"
        status=1
    fi
    osslsigncode remove-signature -in "$copy" -out "$copy.unsigned" >/dev/null
    if cmp -s "$copy.unsigned" "$file"; then
        echo "$(basename "$file"): signed, verified; unsigned again it is the built file"
    else
        echo "$(basename "$file"): with its signature removed it differs from the built file"
        status=1
    fi
    rm -f "$copy.unsigned"
done
rm -rf "$dir/key"
exit $status
