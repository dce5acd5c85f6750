#!/usr/bin/env bash
# Signs a setup as a release is signed (SHA-256, from a PKCS#12 file, with a description),
# with a code-signing certificate made here for the purpose, and verifies the signature against
# it. (No time stamp: that needs a time-stamping authority on the network.)
# Usage: sign-for-test.sh SETUP.exe SIGNED.exe
set -euo pipefail
in=${1:?usage: sign-for-test.sh SETUP.exe SIGNED.exe} out=${2:?usage: sign-for-test.sh SETUP.exe SIGNED.exe}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 2 -subj "/CN=Lumora test signer" \
    -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
    -keyout "$work/signer.key" -out "$work/signer.pem" 2>"$work/openssl.log" || { cat "$work/openssl.log" >&2; exit 1; }
# A release's certificate comes as a PKCS#12 file with a password.
openssl pkcs12 -export -inkey "$work/signer.key" -in "$work/signer.pem" -passout pass:lumora -out "$work/signer.pfx"

mkdir -p "$(dirname "$out")"
rm -f "$out"
osslsigncode sign -pkcs12 "$work/signer.pfx" -pass lumora -h sha256 -n "Lumora 安装程序" \
    -i http://www.lumora-app.com/ -in "$in" -out "$out" >"$work/sign.log" 2>&1 || { cat "$work/sign.log" >&2; exit 1; }
if ! osslsigncode verify -CAfile "$work/signer.pem" -in "$out" >"$work/verify.log" 2>&1; then
    cat "$work/verify.log" >&2
    echo "sign-for-test: the signature of $out does not verify" >&2
    exit 1
fi
grep "^Signature verification:" "$work/verify.log" || true
# Signing only appends: without its signature the file is the setup that was built, so anyone
# can hold a published setup against a build of their own.
osslsigncode remove-signature -in "$out" -out "$work/unsigned.exe" >"$work/remove.log" 2>&1 || { cat "$work/remove.log" >&2; exit 1; }
cmp "$in" "$work/unsigned.exe" || { echo "sign-for-test: signing changed the setup itself" >&2; exit 1; }
