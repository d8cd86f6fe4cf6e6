#!/usr/bin/env bash
# Runs the release packages as a user gets them, in a new Wine prefix of
# their own: the installer silently installed, followed and uninstalled; the
# ZIP unpacked and started from its folder. The packages are those the
# packages_build test made. Where packages_signed_with_a_certificate made
# signed ones too, the signed installer is installed, used and uninstalled
# as well, in a new prefix again. Where Wine's 32-bit part runs under
# emulation (a minute for each start of a 32-bit program), one prefix
# serves both packages and the installer tested is the signed one, whose
# programs are the unsigned ones with a signature added: the installer,
# the uninstaller and the installed programs signed, the ZIP's unsigned.
#   package-tests.sh BUILD_DIR PACKAGE_TESTS.exe
# A build without packages (the 64-bit one) signs its own programs with a
# throw-away certificate and starts them from a folder laid out as the ZIP's:
#   package-tests.sh --signed-programs BUILD_DIR PACKAGE_TESTS.exe PROGRAM...
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
signed_programs=0
if [ "$1" = --signed-programs ]; then
  signed_programs=1
  shift
fi
build=$(cd "$1" && pwd)
tests_exe=$2
shift 2

export KELT_WINEPREFIX="$build/wineprefix-packages"
export KELT_XVFB=1
# shellcheck source=scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
kelt_start_display
trap kelt_stop_wine EXIT

# A new prefix each time (a copy of the pristine one): a package is judged
# on a machine it has not seen.
new_prefix() {
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$KELT_WINEPREFIX"
  kelt_prepare_prefix
}

if [ "$signed_programs" -eq 1 ]; then
  folder="$build/test-area/signed-programs"
  certificate="$build/test-area/certificate"
  rm -rf "$folder" "$certificate"
  mkdir -p "$folder"
  cp "$@" "$root/README.md" "$root/CHANGELOG.md" "$root/packaging/sample.scp" \
    "$root/packaging/TRY-WITHOUT-INSTRUMENT.txt" "$folder"
  "$root/scripts/sign.sh" --throw-away-certificate "$certificate"
  KELT_SIGN_PFX="$certificate/signer.p12" KELT_SIGN_PASSWORD=$(cat "$certificate/password") \
    SOURCE_DATE_EPOCH=$(date +%s) "$root/scripts/sign.sh" "$folder"/*.exe
  for program in "$folder"/*.exe; do
    osslsigncode verify -CAfile "$certificate/signer.pem" -in "$program" >/dev/null ||
      { echo "package-tests: $(basename "$program") is not signed"; exit 1; }
  done
  new_prefix
  KELT_UNZIPPED=$(kelt_windows_path "$folder") kelt_wine64 "$tests_exe" --gtest_filter='Packages.TheZipRuns*'
  exit
fi

: "${KELT_VERSION:?the build passes KELT_VERSION}"
package="KELT-9R-$KELT_VERSION-win32"
installer="$build/packages/$package.exe"
zip="$build/packages/$package.zip"
signed_installer="$build/signing/packages/$package.exe"
for file in "$installer" "$zip"; do
  [ -f "$file" ] || { echo "package-tests: $file is missing (the packages_build test makes it)"; exit 1; }
done

new_prefix
unpacked="$build/test-area/unpacked-zip"
rm -rf "$unpacked"
mkdir -p "$unpacked"
unzip -q "$zip" -d "$unpacked"
status=0
if kelt_i386_emulated && [ -f "$signed_installer" ]; then
  echo "package-tests: under emulation: the signed installer and the ZIP, in one prefix"
  installer=$signed_installer
fi
log="$build/test-area/package-tests.log"
KELT_INSTALLER=$(kelt_windows_path "$installer") KELT_UNZIPPED=$(kelt_windows_path "$unpacked/$package") \
  kelt_run_tests_program "$log" wine "$tests_exe" || status=$?
if [ -f "$signed_installer" ] && [ "$installer" != "$signed_installer" ]; then
  echo "package-tests: the signed installer"
  new_prefix
  KELT_INSTALLER=$(kelt_windows_path "$signed_installer") \
    kelt_run_tests_program "$log" wine "$tests_exe" --gtest_filter='Packages.TheInstaller*' || status=$?
fi
exit "$status"
