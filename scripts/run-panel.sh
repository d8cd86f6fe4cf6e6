#!/usr/bin/env bash
# Sets up what is missing, builds the 64-bit panel and starts it under Wine.
# With a display (DISPLAY set) the panel opens there; without one it runs on
# a private Xvfb display, a screenshot is taken and the panel is closed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/setup.sh"
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target keltpanel
# shellcheck source=scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
headless=0
[ -n "${DISPLAY:-}" ] || headless=1
kelt_start_display
kelt_prepare_prefix
run="$root/build/run"
mkdir -p "$run"
cd "$run"
if [ $headless -eq 0 ]; then
  wine "$root/build/win64/keltpanel.exe"
else
  KELT_SCREENSHOT_DELAY=6 "$root/scripts/screenshot.sh" "$root/build/win64/keltpanel.exe" "$run/panel.png"
  echo "run-panel: no display here; the panel ran on Xvfb. Screenshot: $run/panel.png"
  kelt_stop_wine
fi
