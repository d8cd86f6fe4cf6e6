# shellcheck shell=bash
# Sourced first by the run, bench, soak and test commands: the checkout's
# root as the working folder, whatever is missing installed, the native
# simulator built, and the Wine environment (wine-env.sh) at hand. Before
# sourcing this, a script may name a Wine prefix of its own in the build
# folder as kelt_prefix_name (see wine-env.sh), and the folder there that
# keeps the build logs as kelt_logs_name (default logs).
#   kelt_build PRESET [TARGET...]   configures and builds one preset, its
#                                   output kept in $kelt_logs
#   kelt_prepare_run NAME TARGET... the run commands' build of the targets,
#                                   the display and the prefix
#   kelt_start_sim COM LOG [ARG...] the simulator on COMn of the prefix
#   kelt_run_demo NAME WHAT PROGRAM DRIVER [ARG...]
#                                   a program shown on the user's display, or
#                                   driven through a session on Xvfb

kelt_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$kelt_root" || exit 1
kelt_logs=$kelt_root/build/${kelt_logs_name:-logs}
# Decided before a private display may set DISPLAY.
kelt_headless=0
[ -n "${DISPLAY:-}" ] || kelt_headless=1

"$kelt_root/scripts/setup.sh" || exit 1

kelt_build() {
  local preset=$1 targets=()
  shift
  [ $# -eq 0 ] || targets=(--target "$@")
  mkdir -p "$kelt_logs"
  if cmake --preset "$preset" >"$kelt_logs/$preset-configure.log" 2>&1 &&
     cmake --build --preset "$preset" "${targets[@]}" >"$kelt_logs/$preset-build.log" 2>&1; then
    return 0
  fi
  tail -n 40 "$kelt_logs/$preset-configure.log" "$kelt_logs/$preset-build.log"
  return 1
}

# Every run under Wine starts this Linux program as the instrument.
kelt_build native keltsim || { echo "common: the simulator did not build"; exit 1; }
export KELTSIM="$kelt_root/build/native/sim/keltsim"

# shellcheck source=scripts/wine-env.sh
source "$kelt_root/scripts/wine-env.sh"

# The build that the run commands start (kelt_run_preset) made of the
# targets, as kelt_run_build; then the display and the prefix.
kelt_prepare_run() {
  local name=$1 preset
  shift
  preset=$(kelt_run_preset)
  kelt_build "$preset" "$@"
  # shellcheck disable=SC2034  # for the sourcing script
  kelt_run_build=$kelt_root/build/$preset
  echo "$name: the $preset build"
  kelt_start_display
  kelt_prepare_prefix
}

# Starts the simulator with its log and waits until it is there: its first
# event says the COM port leads to it. It is stopped when the script ends.
kelt_start_sim() {
  local com=$1 tries=0
  kelt_sim_log=$2
  shift 2
  rm -f "$kelt_sim_log"
  "$KELTSIM" --link "$WINEPREFIX/dosdevices/com$com" --log "$kelt_sim_log" "$@" &
  kelt_sim_pid=$!
  trap 'kill $kelt_sim_pid 2>/dev/null || true' EXIT
  until grep -q '"event":"start"' "$kelt_sim_log" 2>/dev/null; do
    if ! kill -0 "$kelt_sim_pid" 2>/dev/null || [ $tries -ge 200 ]; then
      echo "keltsim did not start on COM$com"
      return 1
    fi
    sleep 0.05
    tries=$((tries + 1))
  done
}

# Runs the program from the current folder: on the user's display as it is;
# with no display, on the private one under its demo driver, whose pictures
# of the screen become PNG files in this folder.
kelt_run_demo() {
  local name=$1 what=$2 program=$3 driver=$4 pid shot run=wine
  shift 4
  # The 64-bit build goes to Wine's 64-bit loader directly.
  [ "$(basename "$kelt_run_build")" != win64 ] || run=kelt_wine64
  if [ "$kelt_headless" -eq 0 ]; then
    "$run" "$program"
    return
  fi
  rm -f ./*.bmp ./*.png
  "$run" "$program" >/dev/null 2>&1 &
  pid=$!
  "$run" "$driver" "$@"
  wait $pid || true
  for shot in ./*.bmp; do convert "$shot" -trim "${shot%.bmp}.png" && rm "$shot"; done
  kelt_stop_wine
  echo "$name: no display here; the $what ran on Xvfb through a short session."
  echo "  screenshots:        $(printf '%s ' "$PWD"/*.png)"
  echo "  instrument's log:   $kelt_sim_log"
}
