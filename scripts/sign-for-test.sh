#!/usr/bin/env bash
# The release procedure (sign-release.sh) with a code-signing certificate made here for the
# purpose: the five programs and libraries signed, the setup built around them and signed.
# Every signature is verified against the certificate, and without its signature each file
# is the one it was made from, byte for byte. (No time stamp: that needs a time-stamping
# authority on the network.) The certificate is left as OUT/signer.der, for the test to trust.
# Usage: sign-for-test.sh PRODUCT_FOLDER OUT   (the signed setup: OUT/LumoraSetup-signed.exe)
set -euo pipefail
usage="usage: sign-for-test.sh PRODUCT_FOLDER OUT"
product=${1:?$usage} out=${2:?$usage}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 2 -subj "/CN=Lumora test signer" \
    -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
    -keyout "$work/signer.key" -out "$work/signer.pem" 2>"$work/openssl.log" || { cat "$work/openssl.log" >&2; exit 1; }
openssl x509 -in "$work/signer.pem" -outform DER -out "$out/signer.der"
# A release's certificate comes as a PKCS#12 file with a password.
openssl pkcs12 -export -inkey "$work/signer.key" -in "$work/signer.pem" -passout pass:lumora -out "$work/signer.pfx"

bash "$(dirname "$0")/sign-release.sh" "$product" "$out" -pkcs12 "$work/signer.pfx" -pass lumora -h sha256

check() {  # check SIGNED ORIGINAL
    if ! osslsigncode verify -CAfile "$work/signer.pem" -in "$1" >"$work/verify.log" 2>&1; then
        cat "$work/verify.log" >&2
        echo "sign-for-test: the signature of $1 does not verify" >&2
        exit 1
    fi
    # Signing only appends: anyone can hold a published file against a build of their own.
    osslsigncode remove-signature -in "$1" -out "$work/unsigned" >"$work/remove.log" 2>&1 || { cat "$work/remove.log" >&2; exit 1; }
    cmp "$2" "$work/unsigned" || { echo "sign-for-test: signing changed $2 itself" >&2; exit 1; }
    rm -f "$work/unsigned"
    echo "$(basename "$1"): $(grep "^Signature verification:" "$work/verify.log")"
}
for f in Lumora.exe TarvelUP.exe 卸载.exe Function.dll Tarvel-Skin.dll; do check "$out/files/$f" "$product/$f"; done
check "$out/LumoraSetup-signed.exe" "$out/app/LumoraSetup.exe"
