#!/usr/bin/env bash
# Runs the tests' own 32-bit program where Wine's 32-bit part runs under
# qemu's i386 emulation (the delivered_programs_under_emulation test), in
# the run's prefix, with whatever it leaves running ended afterwards.
# Usage: run-emulated-tests.sh WINE_TESTS.exe [GTEST ARGUMENTS...]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
tests_exe=$1
log="$(cd "$(dirname "$tests_exe")/../.." && pwd)/test-area/emulated-tests.log"
mkdir -p "$(dirname "$log")"
kelt_run_tests_program "$log" wine "$@"
