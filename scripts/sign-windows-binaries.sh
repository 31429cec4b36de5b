#!/usr/bin/env bash
# Signs every Windows binary (.dll, .exe) under DIR in place: Authenticode,
# SHA-256, with the PKCS#12 file named by KXVDS_SIGN_PKCS12 and its password in
# KXVDS_SIGN_PASSWORD. The password reaches osslsigncode through a pipe from a
# shell builtin, so it is never on a command line, in a file or in the output.
# PDBs stay as they are: a signature adds a certificate table and leaves the
# debug directory (the PDB's GUID and age) alone, so each still matches.
# usage: scripts/sign-windows-binaries.sh DIR
set -euo pipefail
dir=${1:?usage: $0 DIR}
: "${KXVDS_SIGN_PKCS12:?names no PKCS#12 file to sign with}"
: "${KXVDS_SIGN_PASSWORD?holds no password for it}"

count=0
while IFS= read -r -d '' binary; do
  rm -f "$binary.signed"
  printf '%s' "$KXVDS_SIGN_PASSWORD" |
    osslsigncode sign -pkcs12 "$KXVDS_SIGN_PKCS12" -readpass /dev/stdin -h sha256 -n KXVdsDisks \
      -in "$binary" -out "$binary.signed" >/dev/null
  mv "$binary.signed" "$binary"
  echo "signed ${binary#"$dir"/}"
  count=$((count + 1))
done < <(find "$dir" -type f \( -name '*.dll' -o -name '*.exe' \) -print0 | sort -z)
if [ "$count" -eq 0 ]; then
  echo "no Windows binary under $dir" >&2
  exit 1
fi
