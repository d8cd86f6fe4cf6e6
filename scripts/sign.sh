#!/usr/bin/env bash
# Signs Windows programs in place (Authenticode, SHA-256) with the certificate
# the environment names. The packaging runs it on the staged programs before
# they are packed, and makensis on the uninstaller and the installer.
#
# Usage: sign.sh FILE...
#        sign.sh --throw-away-certificate DIR
#   The second form makes a self-signed certificate for the tests, valid for
#   two days: DIR/signer.p12 under a random password kept in DIR/password,
#   and DIR/signer.pem, the certificate alone, for osslsigncode verify.
#
# Environment:
#   KELT_SIGN_PFX            the certificate and its private key (.pfx/.p12)
#   KELT_SIGN_PASSWORD       its password (none when unset)
#   KELT_SIGN_TIMESTAMP_URL  an RFC 3161 time-stamp server; without one the
#                            signing time is SOURCE_DATE_EPOCH, so that the
#                            same commit signs to the same bytes
#   SOURCE_DATE_EPOCH        set by the packaging
# The password goes to osslsigncode through a file only this user can read,
# never on a command line, where any process listing would show it.
set -euo pipefail

if [ "${1:-}" = --throw-away-certificate ]; then
  dir=$2
  mkdir -p "$dir"
  (umask 077 && od -An -tx1 -N12 /dev/urandom | tr -d ' \n' > "$dir/password")
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=KELT-9R test signer" \
    -keyout "$dir/signer.key" -out "$dir/signer.pem" 2>/dev/null
  openssl pkcs12 -export -inkey "$dir/signer.key" -in "$dir/signer.pem" -out "$dir/signer.p12" \
    -passout "file:$dir/password"
  rm -f "$dir/signer.key"
  exit 0
fi

: "${KELT_SIGN_PFX:?names the certificate to sign with}"
[ -f "$KELT_SIGN_PFX" ] || { echo "sign.sh: KELT_SIGN_PFX names no file"; exit 1; }
command -v osslsigncode >/dev/null || { echo "sign.sh: osslsigncode is missing (scripts/setup.sh installs it)"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '%s' "${KELT_SIGN_PASSWORD-}" > "$work/password"  # printf is a builtin: no process shows it
options=(-pkcs12 "$KELT_SIGN_PFX" -readpass "$work/password" -h sha256 -n "KELT-9R")
if [ -n "${KELT_SIGN_TIMESTAMP_URL:-}" ]; then
  options+=(-ts "$KELT_SIGN_TIMESTAMP_URL")
else
  options+=(-time "${SOURCE_DATE_EPOCH:?the packaging sets SOURCE_DATE_EPOCH}")
fi

for file in "$@"; do
  if ! osslsigncode sign "${options[@]}" -in "$file" -out "$work/signed" > "$work/log" 2>&1; then
    echo "sign.sh: cannot sign $file:"
    cat "$work/log"
    exit 1
  fi
  # Written over the original, so that the file keeps its name and mode.
  cat "$work/signed" > "$file"
  rm -f "$work/signed"
  echo "signed $(basename "$file")"
done
