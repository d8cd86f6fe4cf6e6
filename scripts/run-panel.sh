#!/usr/bin/env bash
# Sets up what is missing, builds, and starts the panel under Wine (the
# delivered 32-bit program where Wine runs it, else the 64-bit build)
# against the simulated instrument on COM15 (the default port), in a private
# Wine prefix. With a display (DISPLAY set) the panel opens there; without
# one it runs on a private Xvfb display, a screenshot is taken and it closes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/setup.sh"
cmake --preset native >/dev/null && cmake --build --preset native --target keltsim >/dev/null
export KELT_WINEPREFIX=${KELT_WINEPREFIX:-$root/build/wineprefix-run}
# shellcheck source=scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
preset=$(kelt_run_preset)
cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" --target keltpanel demo_driver >/dev/null
echo "run-panel: the $preset build"
headless=0
[ -n "${DISPLAY:-}" ] || headless=1
kelt_start_display
kelt_prepare_prefix

run="$root/build/run"
mkdir -p "$run"
rm -f "$run/sim.log"
"$root/build/native/sim/keltsim" --link "$WINEPREFIX/dosdevices/com15" --log "$run/sim.log" \
  --rate 2 --jitter &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
sleep 0.5

cd "$run"
if [ $headless -eq 0 ]; then
  wine "$root/build/$preset/keltpanel.exe"
else
  # No display: a short scripted session on Xvfb, with screenshots.
  rm -f "$run"/*.bmp "$run"/*.png
  wine "$root/build/$preset/keltpanel.exe" >/dev/null 2>&1 &
  panel=$!
  wine "$root/build/$preset/tests/wine/demo_driver.exe" "$(winepath -w "$run")"
  wait $panel || true
  for shot in "$run"/*.bmp; do convert "$shot" -trim "${shot%.bmp}.png" && rm "$shot"; done
  kelt_stop_wine
  echo "run-panel: no display here; the panel ran on Xvfb through a short session."
  echo "  screenshots:        $(ls "$run"/*.png | tr '\n' ' ')"
  echo "  instrument's log:   $run/sim.log"
  echo "  settings saved:     $run/KELT_9R.ini"
fi
