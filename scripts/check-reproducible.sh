#!/usr/bin/env bash
# The same commit gives the same bytes: builds the delivered programs once
# more, from the same sources, in a fresh folder beside BUILD_DIR (its name
# with "-again"), later and under another time zone and umask, and compares
# them byte for byte with BUILD_DIR's. Where the build makes the packages,
# both folders make them and the release folders are compared too. A
# difference names the file and the offset of its first differing byte, and
# the second folder stays for a look.
#
# Usage: check-reproducible.sh BUILD_DIR PROGRAM...
#   PROGRAM  a delivered program's file in BUILD_DIR (its target is its name)
# Environment: CPACK (cpack)
set -uo pipefail

[ $# -ge 2 ] || { sed -n '2,12p' "$0"; exit 2; }
build=$(cd "$1" && pwd) || exit 2
shift
cpack=${CPACK:-cpack}
again="$build-again"
log="$build/reproduce.log"

cache() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }

files=()
targets=()
for program in "$@"; do
  files+=("${program#"$build"/}")
  name=$(basename "$program")
  targets+=("${name%.exe}")
done

# Another folder (of another length), another time zone (a date kept in
# local time moves by 12:45 hours) and another umask.
elsewhere() { (umask 077 && TZ=Pacific/Chatham "$@"); }

# BUILD_DIR as ctest finds it may predate the last commit: brought up to date.
if ! cmake --build "$build" --target "${targets[@]}" > "$log" 2>&1; then
  tail -n 30 "$log"
  echo "check-reproducible: $build does not build"
  exit 1
fi
start=$SECONDS
rm -rf "$again"
if ! elsewhere cmake -S "$(cache CMAKE_HOME_DIRECTORY)" -B "$again" -G "$(cache CMAKE_GENERATOR)" \
       -DCMAKE_TOOLCHAIN_FILE="$(cache CMAKE_TOOLCHAIN_FILE)" \
       -DCMAKE_BUILD_TYPE="$(cache CMAKE_BUILD_TYPE)" >> "$log" 2>&1 ||
   ! elsewhere cmake --build "$again" --parallel 2 --target "${targets[@]}" >> "$log" 2>&1; then
  tail -n 30 "$log"
  echo "check-reproducible: the second build failed"
  exit 1
fi
if [ -f "$build/CPackConfig.cmake" ]; then
  for folder in "$build" "$again"; do
    rm -rf "$folder/packages" "$folder/_CPack_Packages"
    where=()
    [ "$folder" = "$again" ] && where=(elsewhere)
    if ! (cd "$folder" && "${where[@]}" "$cpack" --config CPackConfig.cmake) >> "$log" 2>&1; then
      tail -n 30 "$log"
      echo "check-reproducible: cpack failed in $folder"
      exit 1
    fi
  done
  for package in "$build"/packages/*; do files+=("packages/$(basename "$package")"); done
fi
echo "built again in $((SECONDS - start)) s in $again"

different=0
for name in "${files[@]}"; do
  if [ ! -f "$again/$name" ]; then
    echo "NOT REPRODUCIBLE: $name was not made the second time"
    different=1
    continue
  fi
  if result=$(cmp "$build/$name" "$again/$name" 2>&1); then
    (cd "$build" && sha256sum "$name")
    continue
  fi
  different=1
  if [[ $result =~ differ:\ (char|byte)\ ([0-9]+) ]]; then
    offset=$((BASH_REMATCH[2] - 1))
    printf 'NOT REPRODUCIBLE: %s differs first at offset %d (0x%x)\n' "$name" "$offset" "$offset"
  elif [[ $result =~ after\ (char|byte)\ ([0-9]+) ]]; then
    printf 'NOT REPRODUCIBLE: %s: one build'\''s file ends at offset %d\n' "$name" "${BASH_REMATCH[2]}"
  else
    echo "NOT REPRODUCIBLE: $name: $result"
  fi
done

if [ "$different" -ne 0 ]; then
  echo "check-reproducible: compare $build with $again"
  exit 1
fi
rm -rf "$again"
echo "check-reproducible: ${#files[@]} files byte for byte the same in both builds"
