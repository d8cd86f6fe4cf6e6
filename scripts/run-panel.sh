#!/usr/bin/env bash
# Sets up what is missing, builds, and starts the panel under Wine (the
# delivered 32-bit program where Wine runs it, else the 64-bit build)
# against the simulated instrument on COM15 (the default port), in a private
# Wine prefix. With a display (DISPLAY set) the panel opens there; without
# one it runs on a private Xvfb display, a screenshot is taken and it closes.
set -euo pipefail
kelt_prefix_name=wineprefix-run
# shellcheck source=scripts/common.sh
source "$(dirname "$0")/common.sh"
kelt_prepare_run run-panel keltpanel demo_driver
run="$kelt_root/build/run"
mkdir -p "$run" && cd "$run"
kelt_start_sim 15 "$run/sim.log" --rate 2 --jitter
kelt_run_demo run-panel panel "$kelt_run_build/keltpanel.exe" \
  "$kelt_run_build/tests/wine/demo_driver.exe" "$(kelt_windows_path "$run")"
[ "$kelt_headless" -eq 0 ] || echo "  settings saved:     $run/KELT_9R.ini"
