#!/usr/bin/env bash
# Passes when each program imports only DLLs that every Windows PC has.
# Usage: check-imports.sh PROGRAM.exe...
set -euo pipefail
objdump=${OBJDUMP:-objdump}
allowed='^(kernel32|user32|gdi32|comctl32|comdlg32|advapi32|shell32|ole32|msvcrt|api-ms-win-[a-z0-9-]+)\.dll$'
status=0
for program in "$@"; do
  dlls=$("$objdump" -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
  [ -n "$dlls" ] || { echo "$program: no import table found"; status=1; continue; }
  echo "$program imports: $(echo $dlls)"
  while read -r dll; do
    if ! [[ $dll =~ $allowed ]]; then
      echo "$program: imports non-system DLL $dll"
      status=1
    fi
  done <<< "$dlls"
done
exit $status
