# shellcheck shell=bash
# Sourced by the other scripts (through common.sh, or on its own where a
# script needs only Wine, as unprivileged-tests.sh does for another user): a
# private Wine prefix, an X display and a long-lived wineserver, with every
# COM port the programs may probe mapped to a known place (nothing, unless a
# test points one at a simulator).
#   KELT_WINEPREFIX  prefix folder (default: build/wineprefix, or the build
#                    folder's $kelt_prefix_name when the sourcing script set it)
#   KELT_XVFB=1      always use a private Xvfb display, even when DISPLAY is set
#   KELT_XVFB_SIZE   its screen (default 1280x1024x24)
#   KELT_XVFB_DISPLAY  set by kelt_start_display to the private display it
#                    started, so that a shell started from this one (another
#                    user's, say) knows DISPLAY has no window manager

kelt_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${KELT_WINEPREFIX:-$kelt_root/build/${kelt_prefix_name:-wineprefix}}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installers: the programs need neither.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

kelt_start_display() {
  if [ -n "${DISPLAY:-}" ] && [ "${KELT_XVFB:-0}" != 1 ]; then return 0; fi
  local n
  for n in $(seq 90 120); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || break
  done
  Xvfb ":$n" -screen 0 "${KELT_XVFB_SIZE:-1280x1024x24}" -nolisten tcp >/dev/null 2>&1 &
  kelt_xvfb_pid=$!
  export DISPLAY=":$n" KELT_XVFB_DISPLAY=":$n"
  local tries=0
  until [ -e "/tmp/.X11-unix/X$n" ] || [ $tries -ge 50 ]; do sleep 0.1; tries=$((tries + 1)); done
}

kelt_absent_port_path() { echo "$WINEPREFIX/absent-port-$1"; }

kelt_map_ports() {
  local n
  for n in $(seq 1 15); do
    wine reg add 'HKLM\Software\Wine\Ports' /v "COM$n" /d "$(kelt_absent_port_path "$n")" /f >/dev/null 2>&1
  done
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
}

# There is no window manager on a private Xvfb display: windows left to one
# would make Wine wait two seconds for each one that closes. On a desktop the
# window manager frames them as usual.
kelt_set_window_management() {
  local managed=Y
  [ -z "${KELT_XVFB_DISPLAY:-}" ] || [ "$KELT_XVFB_DISPLAY" != "${DISPLAY:-}" ] || managed=N
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d "$managed" /f >/dev/null 2>&1
}

# A prefix made before Wine's 32-bit part was installed cannot run the
# delivered 32-bit programs: the marker says which Wine made it.
kelt_wine_kind() { if [ -x /usr/lib/wine/wine ]; then echo wow64; else echo win64; fi; }

# The build the run commands start: the delivered 32-bit programs where
# Wine can run them, else the 64-bit build of the same sources.
kelt_run_preset() { if [ "$(kelt_wine_kind)" = wow64 ]; then echo win32; else echo win64; fi; }

kelt_prepare_prefix() {
  local marker
  marker="$WINEPREFIX/.kelt-ready-4-$(kelt_wine_kind)"
  if [ ! -f "$marker" ]; then
    echo "wine-env: creating the Wine prefix $WINEPREFIX"
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    kelt_map_ports
    wineserver -w
    touch "$marker"
  fi
  # One wineserver for the whole run: a fresh one's mount manager would
  # rewrite the COM links that tests point at the simulator.
  wineserver -p >/dev/null 2>&1 || true
  kelt_set_window_management
}

kelt_stop_wine() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "${kelt_xvfb_pid:-}" ]; then kill "$kelt_xvfb_pid" 2>/dev/null || true; fi
}
