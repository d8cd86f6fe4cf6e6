#!/usr/bin/env bash
# Runs the layout tests of every window at 144 DPI (a 150 % laptop screen),
# in a Wine prefix of its own set to that resolution, on a display large
# enough for the panel at that size. The pictures of the windows stay in
# the build folder's screenshots/dpi-144/.
# Usage: high-dpi-tests.sh WINE_TESTS.exe
set -euo pipefail
tests_exe=$1
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$(dirname "$tests_exe")/../.." && pwd)
export KELT_WINEPREFIX="$build/wineprefix-dpi144"
export KELT_XVFB=1 KELT_XVFB_SIZE=1920x1440x24
# shellcheck source=scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
kelt_start_display
kelt_prepare_prefix
if [ ! -f "$WINEPREFIX/.kelt-dpi-144" ]; then
  kelt_wine64 reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
  kelt_wine64 reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
    /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
  # The resolution is read when the wineserver starts.
  wineserver -k; wineserver -w || true
  wineserver -p >/dev/null 2>&1 || true
  kelt_set_window_management
  touch "$WINEPREFIX/.kelt-dpi-144"
fi
status=0
KELT_EXPECT_DPI=144 kelt_wine64 "$tests_exe" --gtest_filter='LayoutFits.*' || status=$?
kelt_stop_wine
exit $status
