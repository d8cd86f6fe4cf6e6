#!/usr/bin/env bash
# The long versions of the endurance runs that the test command keeps short:
#   - 50 start/Quit cycles in a row (KELT_CYCLES),
#   - 30 minutes of full-rate measurement lines with a slider moved every
#     second (KELT_SOAK_SECONDS),
#   - each fuzzer for an hour (KELT_FUZZ_SECONDS).
# Override any of the three in the environment.
set -euo pipefail
# shellcheck source=scripts/common.sh
source "$(dirname "$0")/common.sh"
for preset in native sanitize win64; do kelt_build "$preset"; done

fuzz_seconds=${KELT_FUZZ_SECONDS:-3600}
for fuzzer in build/sanitize/fuzz/*_fuzz; do
  name=$(basename "$fuzzer")
  corpus="build/sanitize/fuzz/long-corpus/${name%_fuzz}"
  mkdir -p "$corpus"
  cp -n fuzz/corpus/"$(ls fuzz/corpus | grep -m1 "${name%%_*}")"/* "$corpus"/ 2>/dev/null || true
  echo "== $name for $fuzz_seconds s"
  "$fuzzer" -max_total_time="$fuzz_seconds" -print_final_stats=1 "$corpus" 2>&1 | tail -n 12
done

KELT_XVFB=1 kelt_start_display
kelt_prepare_prefix
export KELT_CYCLES=${KELT_CYCLES:-50}
export KELT_SOAK_SECONDS=${KELT_SOAK_SECONDS:-1800}
echo "== $KELT_CYCLES start/Quit cycles, then a $KELT_SOAK_SECONDS s soak"
kelt_wine64 build/win64/tests/wine/wine_tests.exe --gtest_filter='Endurance.*'
kelt_stop_wine
