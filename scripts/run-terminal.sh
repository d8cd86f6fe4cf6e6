#!/usr/bin/env bash
# Sets up what is missing, builds, and starts the terminal under Wine (the
# delivered 32-bit program where Wine runs it, else the 64-bit build)
# with the simulated instrument on COM1, in a private Wine prefix. Answer the
# prompt with 1. With a display the terminal opens there; without one it runs
# on a private Xvfb display through a short scripted session.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/setup.sh"
cmake --preset native >/dev/null && cmake --build --preset native --target keltsim >/dev/null
export KELT_WINEPREFIX=${KELT_WINEPREFIX:-$root/build/wineprefix-run}
# shellcheck source=scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
preset=$(kelt_run_preset)
cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" --target keltterm terminal_demo_driver >/dev/null
echo "run-terminal: the $preset build"
headless=0
[ -n "${DISPLAY:-}" ] || headless=1
kelt_start_display
kelt_prepare_prefix

run="$root/build/run-terminal"
mkdir -p "$run"
rm -f "$run/sim.log" "$run"/*.png
"$root/build/native/sim/keltsim" --link "$WINEPREFIX/dosdevices/com1" --log "$run/sim.log" --rate 0 &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
sleep 0.5

terminal="$root/build/$preset/terminal/keltterm.exe"
cd "$run"
if [ $headless -eq 0 ]; then
  wine "$terminal"
else
  wine "$terminal" >/dev/null 2>&1 &
  program=$!
  wine "$root/build/$preset/tests/wine/terminal_demo_driver.exe" 1 "$(winepath -w "$run")"
  wait $program || true
  for shot in "$run"/*.bmp; do convert "$shot" -trim "${shot%.bmp}.png" && rm "$shot"; done
  kelt_stop_wine
  echo "run-terminal: no display here; the terminal ran on Xvfb through a short session."
  echo "  screenshots:        $(ls "$run"/*.png | tr '\n' ' ')"
  echo "  instrument's log:   $run/sim.log"
fi
