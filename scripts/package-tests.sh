#!/usr/bin/env bash
# Runs the release packages as a user gets them, in a new Wine prefix of
# their own: the installer silently installed, followed and uninstalled; the
# ZIP unpacked and started from its folder. The packages are those the
# packages_build test made. Usage: package-tests.sh BUILD_DIR PACKAGE_TESTS.exe
set -euo pipefail
build=$(cd "$1" && pwd)
tests_exe=$2
root=$(cd "$(dirname "$0")/.." && pwd)
: "${KELT_VERSION:?the build passes KELT_VERSION}"
package="KELT-9R-$KELT_VERSION-win32"
installer="$build/packages/$package.exe"
zip="$build/packages/$package.zip"
for file in "$installer" "$zip"; do
  [ -f "$file" ] || { echo "package-tests: $file is missing (the packages_build test makes it)"; exit 1; }
done

# A new prefix each time: an installer is judged on a machine it has not seen.
export KELT_WINEPREFIX="$build/wineprefix-packages"
rm -rf "$KELT_WINEPREFIX"
export KELT_XVFB=1
# shellcheck source=scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
kelt_start_display
kelt_prepare_prefix
trap kelt_stop_wine EXIT

unpacked="$build/test-area/unpacked-zip"
rm -rf "$unpacked"
mkdir -p "$unpacked"
unzip -q "$zip" -d "$unpacked"
KELT_INSTALLER=$(winepath -w "$installer") KELT_UNZIPPED=$(winepath -w "$unpacked/$package") \
  wine "$tests_exe"
