#!/usr/bin/env bash
# Runs the permission tests as an unprivileged user (root ignores file
# permissions), with that user's own Wine prefix made and run by
# wine-env.sh's functions, against folders prepared here. The prefix and the
# folders belong to this checkout: another one's run may use the same user
# at the same time. Usage: unprivileged-tests.sh WINE_TESTS.exe
set -euo pipefail
tests_exe=$1
root=$(cd "$(dirname "$0")/.." && pwd)
user=keltbench
id "$user" >/dev/null 2>&1 || useradd --create-home --shell /bin/bash "$user"
home=$(getent passwd "$user" | cut -d: -f6)
checkout=$(printf '%s' "$root" | cksum | cut -d' ' -f1)
area=/tmp/kelt-unprivileged-$checkout
rm -rf "$area"
mkdir -p "$area"/{read-only-file,read-only-folder,read-only-folder-writable-file,scratch}
printf "'**************************************************\r\nCommport = 15\r\n" > "$area/read-only-file/KELT_9R.ini"
printf "Commport = 15\r\nstale tail that a complete rewrite removes\r\n" > "$area/read-only-folder-writable-file/KELT_9R.ini"
chown -R "$user" "$area"
chmod 444 "$area/read-only-file/KELT_9R.ini"
chmod 644 "$area/read-only-folder-writable-file/KELT_9R.ini"
chmod 555 "$area/read-only-folder" "$area/read-only-folder-writable-file"

# The commands run as the user in a shell that has sourced wine-env.sh for
# the user's prefix, on this run's display (KELT_XVFB_DISPLAY tells whether
# it is a private one).
run_as() {
  su -s /bin/bash "$user" -c "export DISPLAY='$DISPLAY' KELT_XVFB_DISPLAY='${KELT_XVFB_DISPLAY:-}' \
    KELT_WINEPREFIX='$home/.wine-kelt-$checkout' KELTSIM='${KELTSIM:-$root/build/native/sim/keltsim}' \
    KELT_UNPRIVILEGED_DIR='$area' KELT_TEST_AREA='$area/scratch'; \
    source '$root/scripts/wine-env.sh' && $*"
}
run_as kelt_prepare_prefix
status=0
run_as "cd '$area' && kelt_wine64 '$tests_exe' --gtest_filter='Unprivileged.*'" || status=$?
run_as kelt_stop_wine || true
exit $status
