#!/usr/bin/env bash
# Runs the permission tests as an unprivileged user (root ignores file
# permissions), with that user's own Wine prefix, against folders prepared
# here. Usage: unprivileged-tests.sh WINE_TESTS.exe
set -euo pipefail
tests_exe=$1
user=keltbench
id "$user" >/dev/null 2>&1 || useradd --create-home --shell /bin/bash "$user"
home=$(getent passwd "$user" | cut -d: -f6)
area=/tmp/kelt-unprivileged
rm -rf "$area"
mkdir -p "$area"/{read-only-file,read-only-folder,read-only-folder-writable-file,scratch}
printf "'**************************************************\r\nCommport = 15\r\n" > "$area/read-only-file/KELT_9R.ini"
printf "Commport = 15\r\nstale tail that a complete rewrite removes\r\n" > "$area/read-only-folder-writable-file/KELT_9R.ini"
chown -R "$user" "$area"
chmod 444 "$area/read-only-file/KELT_9R.ini"
chmod 644 "$area/read-only-folder-writable-file/KELT_9R.ini"
chmod 555 "$area/read-only-folder" "$area/read-only-folder-writable-file"

prefix="$home/.wine-kelt"
root=$(cd "$(dirname "$0")/.." && pwd)
keltsim="$root/build/native/sim/keltsim"
run_as() {
  su "$user" -c "export DISPLAY='$DISPLAY' WINEPREFIX='$prefix' WINEARCH=win64 WINEDEBUG=-all \
    WINEDLLOVERRIDES='mscoree,mshtml=' KELTSIM='$keltsim' KELT_UNPRIVILEGED_DIR='$area' KELT_TEST_AREA='$area/scratch'; $*"
}
kind=win64
[ -x /usr/lib/wine/wine ] && kind=wow64  # a prefix that runs the 32-bit programs too
if [ ! -f "$prefix/.kelt-ready-$kind" ]; then
  run_as "rm -rf '$prefix'"
  run_as "wineboot -i >/dev/null 2>&1; wineserver -w"
  for n in $(seq 1 15); do
    run_as "wine reg add 'HKLM\\Software\\Wine\\Ports' /v COM$n /d '$prefix/absent-port-$n' /f >/dev/null 2>&1"
  done
  run_as "wine reg add 'HKCU\\Software\\Wine\\X11 Driver' /v Managed /d N /f >/dev/null 2>&1; wineserver -w"
  run_as "touch '$prefix/.kelt-ready-$kind'"
fi
status=0
run_as "wineserver -p; cd '$area' && wine '$tests_exe' --gtest_filter='Unprivileged.*'" || status=$?
run_as "wineserver -k" || true
exit $status
