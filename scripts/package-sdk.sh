#!/usr/bin/env bash
# Builds the SDK's binaries in the 32-bit and 64-bit Windows trees, packs both
# into the SDK archive build/sdk/KXVdsDisks-<version>-windows.zip through
# CPack, each binary with its PDB beside it, then checks it
# (tests/package/CheckSdkArchive.cmake: listing, exports, imports, versions,
# architectures, signatures, each binary's PDB).
#
# Signing: with KXVDS_SIGN_PKCS12 naming a PKCS#12 file and KXVDS_SIGN_PASSWORD
# holding its password (both in the environment, never on a command line),
# both DLLs and both kxvds.exe are signed with Authenticode, SHA-256
# (scripts/sign-windows-binaries.sh), and the check verifies each signature.
# Without them the archive is unsigned.
# usage: [KXVDS_SIGN_PKCS12=FILE KXVDS_SIGN_PASSWORD=...] scripts/package-sdk.sh
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh

check=(-P tests/package/CheckSdkArchive.cmake)
if [ -n "${KXVDS_SIGN_PKCS12:-}" ]; then
  if [ ! -f "$KXVDS_SIGN_PKCS12" ]; then
    echo "KXVDS_SIGN_PKCS12 names no file: $KXVDS_SIGN_PKCS12" >&2
    exit 1
  fi
  : "${KXVDS_SIGN_PASSWORD?holds no password for $KXVDS_SIGN_PKCS12}"
  export KXVDS_SIGN_PKCS12 KXVDS_SIGN_PASSWORD
  install_missing osslsigncode openssl
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  # What each signature must chain to: the certificates of the PKCS#12 file (a
  # self-signed one is its own root) and the roots this machine trusts.
  # openssl reads the password from the environment itself; files that older
  # tools made need its legacy algorithms.
  extract=(pkcs12 -in "$KXVDS_SIGN_PKCS12" -nokeys -passin env:KXVDS_SIGN_PASSWORD -out "$work/trusted.pem")
  if ! openssl "${extract[@]}" 2>"$work/openssl.log" && ! openssl "${extract[@]}" -legacy 2>>"$work/openssl.log"; then
    echo "cannot read the certificates of $KXVDS_SIGN_PKCS12 with the password given:" >&2
    cat "$work/openssl.log" >&2
    exit 1
  fi
  if [ -f /etc/ssl/certs/ca-certificates.crt ]; then
    cat /etc/ssl/certs/ca-certificates.crt >>"$work/trusted.pem"
  fi
  check=(-DCAFILE="$work/trusted.pem" "${check[@]}")
  echo "== signing with the certificate in $KXVDS_SIGN_PKCS12"
else
  echo "== unsigned: no certificate given (KXVDS_SIGN_PKCS12 and KXVDS_SIGN_PASSWORD would sign the binaries)"
fi

for preset in windows windows-x64; do
  echo "== $preset: configure and build the SDK's binaries"
  cmake --preset "$preset"
  cmake --build --preset "$preset" --target KXVdsDisks kxvds
done

echo "== pack"
rm -rf build/sdk
# Either tree's CPack configuration gathers both trees.
cpack --config build/windows/CPackConfig.cmake -B build/sdk
rm -rf build/sdk/_CPack_Packages
ls build/sdk/KXVdsDisks-*-windows.zip

echo "== check"
cmake "${check[@]}"
