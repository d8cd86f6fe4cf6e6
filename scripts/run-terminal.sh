#!/usr/bin/env bash
# Sets up what is missing, builds, and starts the terminal under Wine (the
# delivered 32-bit program where Wine runs it, else the 64-bit build)
# with the simulated instrument on COM1, in a private Wine prefix. Answer the
# prompt with 1. With a display the terminal opens there; without one it runs
# on a private Xvfb display through a short scripted session.
set -euo pipefail
kelt_prefix_name=wineprefix-run
# shellcheck source=scripts/common.sh
source "$(dirname "$0")/common.sh"
kelt_prepare_run run-terminal keltterm terminal_demo_driver
run="$kelt_root/build/run-terminal"
mkdir -p "$run" && cd "$run"
kelt_start_sim 1 "$run/sim.log" --rate 0
kelt_run_demo run-terminal terminal "$kelt_run_build/terminal/keltterm.exe" \
  "$kelt_run_build/tests/wine/terminal_demo_driver.exe" 1 "$(kelt_windows_path "$run")"
