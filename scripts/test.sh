#!/usr/bin/env bash
# Sets up what is missing, builds every configuration and runs every test:
#   native    portable core unit tests, simulator (Linux, g++)
#   sanitize  the same tests under AddressSanitizer and UBSan, and a bounded
#             run of each fuzzer (clang)
#   tsan      the threaded reader and terminal loops under ThreadSanitizer
#   win32     the delivered 32-bit programs: static checks, the packages,
#             signed and unsigned, a second build compared byte for byte,
#             and where Wine has its 32-bit part the window tests under Wine
#             and the installer and ZIP run for real (under qemu's i386
#             emulation, the tests that prove the programs as a whole)
#   win64     the same sources for x86_64, with the window tests under Wine,
#             a second build compared, and its programs signed and run
set -uo pipefail
kelt_logs_name=test-logs
# shellcheck source=scripts/common.sh
source "$(dirname "$0")/common.sh"

passed=0
failed=0
logs=$kelt_logs

count_ctest() {  # adds the counts of a ctest log to the totals
  local line total fails
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -n 1)
  if [ -z "$line" ]; then failed=$((failed + 1)); return; fi
  fails=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<< "$line")
  total=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<< "$line")
  passed=$((passed + total - fails))
  failed=$((failed + fails))
}

build() {  # configure and build one preset; a failed build counts as a failure
  local preset=$1 start=$SECONDS
  if kelt_build "$preset"; then
    echo "== $preset: built in $((SECONDS - start)) s"
    return 0
  fi
  echo "== $preset: BUILD FAILED"
  failed=$((failed + 1))
  return 1
}

run_ctest() {  # ctest of one build folder, its output kept and counted
  local dir=$1 name=$2 start=$SECONDS
  shift 2
  ctest --test-dir "$dir" --output-on-failure --timeout 300 "$@" 2>&1 | tee "$logs/$name-ctest.log" | tail -n 25
  count_ctest "$logs/$name-ctest.log"
  echo "== $name: tests took $((SECONDS - start)) s"
}

if build native; then run_ctest build/native native; fi
if build sanitize; then run_ctest build/sanitize sanitize; fi
if build tsan; then TSAN_OPTIONS=halt_on_error=1 run_ctest build/tsan tsan -R 'Thread'; fi
# One display and one prefix (64-bit, with the 32-bit part where Wine has
# it) for both Windows builds.
KELT_XVFB=1 kelt_start_display
kelt_prepare_prefix
if build win32; then
  case $(kelt_wine32_path) in
    native) echo "== win32: the whole Windows suite on the delivered 32-bit programs" ;;
    emulated) echo "== win32: i386 code runs under qemu's emulation here: the delivered 32-bit programs' chosen Wine tests, the signed installer and the ZIP" ;;
    *) echo "== win32: no 32-bit Wine here; its programs are only checked, not run" ;;
  esac
  run_ctest build/win32 win32
fi
if build win64; then run_ctest build/win64 win64; fi
kelt_stop_wine

echo "tests: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
