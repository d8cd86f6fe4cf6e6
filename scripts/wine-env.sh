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

# i386 code runs through qemu's user-mode emulation (scripts/setup.sh sets
# it up where the kernel runs none): every start of a 32-bit program then
# costs about a minute of CPU, while 64-bit ones run as they are.
kelt_i386_emulated() {
  grep -qx enabled /proc/sys/fs/binfmt_misc/qemu-i386 2>/dev/null &&
    grep -qx enabled /proc/sys/fs/binfmt_misc/status 2>/dev/null
}

# Wine's 64-bit loader runs 64-bit programs and Wine's own tools directly.
# With the 32-bit part installed, `wine` is the 32-bit loader, which under
# emulation spends that minute before it hands a 64-bit program over (and
# runs a tool named without a path, such as reg, as its 32-bit build).
kelt_wine64() {
  if [ -x /usr/lib/wine/wine64 ]; then /usr/lib/wine/wine64 "$@"; else wine "$@"; fi
}

# A Linux path as the programs see it, through drive Z: (as winepath -w,
# without starting a Windows program).
kelt_windows_path() {
  local path
  path=$(realpath -m "$1")
  printf 'Z:%s\n' "${path//\//\\}"
}

# Every COM port the programs may probe leads nowhere until a test points
# one at a simulator; no crash dialog waits for a click.
kelt_map_ports() {
  local n settings
  settings="$WINEPREFIX/kelt-ports.reg"
  {
    printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\r\n'
    for n in $(seq 1 15); do
      printf '"COM%s"="%s"\r\n' "$n" "$(kelt_absent_port_path "$n")"
    done
    printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\r\n"ShowCrashDialog"=dword:00000000\r\n'
  } > "$settings"
  kelt_wine64 reg import "$(kelt_windows_path "$settings")" >/dev/null 2>&1
  rm -f "$settings"
}

# There is no window manager on a private Xvfb display: windows left to one
# would make Wine wait two seconds for each one that closes. On a desktop the
# window manager frames them as usual.
kelt_set_window_management() {
  local managed=Y
  [ -z "${KELT_XVFB_DISPLAY:-}" ] || [ "$KELT_XVFB_DISPLAY" != "${DISPLAY:-}" ] || managed=N
  kelt_wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d "$managed" /f >/dev/null 2>&1
}

# A prefix made before Wine's 32-bit part was installed cannot run the
# delivered 32-bit programs: the marker says which Wine made it.
kelt_wine_kind() { if [ -x /usr/lib/wine/wine ]; then echo wow64; else echo win64; fi; }

# How the delivered 32-bit programs run here: natively, under emulation,
# or not at all (no 32-bit Wine).
kelt_wine32_path() {
  if [ "$(kelt_wine_kind)" != wow64 ]; then echo none
  elif kelt_i386_emulated; then echo emulated
  else echo native; fi
}

# The build the run commands start: the delivered 32-bit programs where
# Wine runs them at their own speed, else the 64-bit build of the same
# sources (a minute for each start of an emulated 32-bit program is no way
# to try the panel).
kelt_run_preset() { if [ "$(kelt_wine32_path)" = native ]; then echo win32; else echo win64; fi; }

# Every prefix starts as a copy of one pristine prefix, made once per
# checkout and Wine: making a prefix with Wine's 32-bit part takes minutes
# under emulation, copying it seconds. A copy has never seen a package,
# a test's file or a setting, as a new prefix has not.
kelt_template_prefix() { echo "${KELT_TEMPLATE_PREFIX:-$kelt_root/build/wineprefix-template}"; }

kelt_make_template_prefix() {
  local template marker
  template=$(kelt_template_prefix)
  marker="$template/.kelt-template-1-$(kelt_wine_kind)"
  [ ! -f "$marker" ] || return 0
  echo "wine-env: making the pristine Wine prefix $template (once)"
  rm -rf "$template"
  mkdir -p "$template"
  WINEPREFIX=$template kelt_wine64 wineboot -i >/dev/null 2>&1 || true
  WINEPREFIX=$template wineserver -w
  touch "$marker"
}

kelt_prepare_prefix() {
  local marker template
  marker="$WINEPREFIX/.kelt-ready-5-$(kelt_wine_kind)"
  if [ ! -f "$marker" ]; then
    template=$(kelt_template_prefix)
    if [ -w "$(dirname "$template")" ]; then kelt_make_template_prefix; fi
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
    if [ -f "$template/.kelt-template-1-$(kelt_wine_kind)" ]; then
      echo "wine-env: the Wine prefix $WINEPREFIX, copied from $template"
      # Copied as the user of this shell, who then owns it as Wine wants.
      cp -r --preserve=mode,timestamps,links --no-dereference "$template" "$WINEPREFIX"
      rm -f "$WINEPREFIX"/.kelt-template-*
    else
      echo "wine-env: creating the Wine prefix $WINEPREFIX"
      mkdir -p "$WINEPREFIX"
      kelt_wine64 wineboot -i >/dev/null 2>&1 || true
      wineserver -w
    fi
    kelt_map_ports
    wineserver -w
    touch "$marker"
  fi
  # One wineserver for the whole run: a fresh one's mount manager would
  # rewrite the COM links that tests point at the simulator.
  wineserver -p >/dev/null 2>&1 || true
  kelt_set_window_management
}

# Runs a test program (the tests' own, which starts the programs under
# test, the instruments and the cable), its output to LOG, and prints LOG
# when it has ended. Whatever it started and left running is ended then:
# a tests' program that dies (as a 32-bit one can under emulation, right
# after it reports a failure) leaves them behind, and they must neither
# hold the run's output open nor meet the next test on its ports.
#   kelt_run_tests_program LOG COMMAND...
kelt_run_tests_program() {
  local log=$1 status=0 pid
  shift
  "$@" >"$log" 2>&1 || status=$?
  for pid in $(pgrep -f 'keltpanel|keltterm|keltsim|pty_pair|Uninstall|Au_\.exe|KELT-9R-' || true); do
    if grep -qzx "WINEPREFIX=$WINEPREFIX" "/proc/$pid/environ" 2>/dev/null ||
       grep -qF "$WINEPREFIX/" "/proc/$pid/cmdline" 2>/dev/null; then
      kill "$pid" 2>/dev/null
    fi
  done
  cat "$log"
  return "$status"
}

kelt_stop_wine() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "${kelt_xvfb_pid:-}" ]; then kill "$kelt_xvfb_pid" 2>/dev/null || true; fi
}
