#!/usr/bin/env bash
# The release: signs the five programs and libraries of a product folder, builds the setup
# around the signed files (build-with-product.sh; the setup records their checksums) and signs
# the setup. The texts and internet shortcuts are carried as they are.
# Usage: sign-release.sh PRODUCT_FOLDER BUILD_FOLDER OSSLSIGNCODE_SIGN_OPTION...
#   e.g. -pkcs12 release.pfx -readpass release.pass -h sha256 -ts http://timestamp.example.com
# Leaves the signed files in BUILD_FOLDER/files/ (carried from there) and the signed setup in
# BUILD_FOLDER/LumoraSetup-signed.exe.
set -euo pipefail
usage="usage: sign-release.sh PRODUCT_FOLDER BUILD_FOLDER OSSLSIGNCODE_SIGN_OPTION..."
product=${1:?$usage} out=${2:?$usage}
shift 2
mkdir -p "$out/files"
sign() {  # sign DESCRIPTION IN OUT
    rm -f "$3"
    osslsigncode sign "${options[@]}" -n "$1" -i http://www.lumora-app.com/ -in "$2" -out "$3" >"$out/sign.log" 2>&1 ||
        { cat "$out/sign.log" >&2; echo "sign-release: could not sign $2" >&2; exit 1; }
}
options=("$@")
for f in 更新日志.log 常见问题解答.txt Lumora官网.url Lumora视频教程.url; do
    cp "$product/$f" "$out/files/$f" 2>/dev/null || echo "sign-release: $product/$f: missing" >&2
done
for f in Lumora.exe TarvelUP.exe 卸载.exe Function.dll Tarvel-Skin.dll; do
    [ -f "$product/$f" ] || { echo "sign-release: $product/$f: missing" >&2; exit 1; }
    sign Lumora "$product/$f" "$out/files/$f"
done
bash "$(dirname "$0")/build-with-product.sh" "$out/files" "$out" >/dev/null
sign "Lumora 安装程序" "$out/app/LumoraSetup.exe" "$out/LumoraSetup-signed.exe"
echo "$out/LumoraSetup-signed.exe"
