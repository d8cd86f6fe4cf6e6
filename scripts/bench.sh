#!/usr/bin/env bash
# Prints the performance figures of both programs: the native benchmarks of
# the portable core and the Wine figures of the real panel against the
# simulated instrument. Not part of the test command.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/setup.sh"
cmake --preset native >/dev/null && cmake --build --preset native >/dev/null
cmake --preset win64 >/dev/null && cmake --build --preset win64 >/dev/null
echo "== native (portable core, Google Benchmark)"
for bench in build/native/bench/*_bench; do
  [ -x "$bench" ] && "$bench" --benchmark_min_time=0.2
done
echo "== Wine (real windows, keltsim on a pty)"
# shellcheck source=scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
KELT_XVFB=1 kelt_start_display
kelt_prepare_prefix
export KELTSIM="$root/build/native/sim/keltsim"
wine build/win64/tests/wine/panel_bench.exe
kelt_stop_wine
