#!/usr/bin/env bash
# Prints the performance figures of both programs in one run: executable
# sizes, the native benchmarks of the portable core, and the Wine figures of
# the real panel against the simulated instrument (upload pacing, reaction
# CPU time, command rate, line-to-display latency, start-up, CPU and memory).
# KELT_BENCH_STREAM_MINUTES sets the streaming time of the memory figure
# (default 2; the issue's figure is 10). Not part of the test command.
set -euo pipefail
# shellcheck source=scripts/common.sh
source "$(dirname "$0")/common.sh"
for preset in native win64 win32; do kelt_build "$preset"; done
echo "== executables"
for exe in build/win32/keltpanel.exe build/win32/terminal/keltterm.exe build/win64/keltpanel.exe build/win64/terminal/keltterm.exe; do
  [ -f "$exe" ] && printf '| %s | %s bytes |\n' "$exe" "$(stat -c %s "$exe")"
done
echo "== native (portable core, Google Benchmark)"
for bench in build/native/bench/*_bench; do
  [ -x "$bench" ] && "$bench" --benchmark_min_time=0.2
done
echo "== Wine (real windows, keltsim on a pty)"
KELT_XVFB=1 kelt_start_display
kelt_prepare_prefix
kelt_wine64 build/win64/tests/wine/panel_bench.exe
kelt_stop_wine
