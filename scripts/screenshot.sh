#!/usr/bin/env bash
# Starts a program under Wine, waits for it to draw, saves a screenshot of
# the display and ends the program. Usage: screenshot.sh PROGRAM.exe OUT.png
set -euo pipefail
program=$1
out=$2
mkdir -p "$(dirname "$out")"
workdir=$(dirname "$out")/run
mkdir -p "$workdir"
cd "$workdir"
"${KELT_WINE:-wine}" "$program" >/dev/null 2>&1 &
pid=$!
sleep "${KELT_SCREENSHOT_DELAY:-5}"
import -window root "$out"
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
[ -s "$out" ] && echo "screenshot: $out"
