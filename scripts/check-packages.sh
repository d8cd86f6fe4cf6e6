#!/usr/bin/env bash
# Makes and checks the release packages of the 32-bit build by reading their
# files. (Where Wine has its 32-bit part, package-tests.sh also installs and
# runs them.)
#
# Usage: check-packages.sh BUILD_DIR [STEP...]
#   build      make both packages afresh with cpack; report time and sizes
#   zip        the ZIP holds exactly the delivered files, README, changelog,
#              sample and the text on trying without an instrument as they
#              are in the sources, that text the same as the README's section
#   installer  the installer holds the same programs and texts
#   script     the installer script: Start-menu shortcuts, the panel starting
#              in a writable settings folder, an uninstaller that removes the
#              shortcuts and programs and leaves the settings folder alone
#   versions   version blocks of the packaged programs; the two programs are
#              windowed, the simulated instrument a console program
#   imports    the packaged programs import only Windows' own DLLs
#   sums       SHA256SUMS lists every file of the release folder and checks
#   signed     packages made again with a throw-away certificate into
#              BUILD_DIR/signing/packages: every program, the uninstaller and
#              the installer verify, the password shows in nothing cpack
#              wrote, each program without its signature is the unsigned
#              ZIP's, and the signed packages pass zip to sums
# Without a STEP: all of them, in this order.
#
# Environment: KELT_VERSION and KELT_TERMINAL_VERSION (the build sets them),
# CPACK (cpack), OBJDUMP (i686-w64-mingw32-objdump), PYTHON (/usr/bin/python3),
# KELT_PACKAGES (the release folder to check; default BUILD_DIR/packages).
# NSIS variables such as $INSTDIR are matched as written, in single quotes.
# shellcheck disable=SC2016,SC1003
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -ge 1 ] || { sed -n '2,28p' "$0"; exit 2; }
build_dir=$(cd "$1" && pwd) || exit 2
shift
steps=("$@")
[ ${#steps[@]} -gt 0 ] || steps=(build zip installer script versions imports sums signed)

cpack=${CPACK:-cpack}
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
python=${PYTHON:-/usr/bin/python3}
inspect="$python $root/packaging/inspect_package.py"

# The versions come from the build (the top CMakeLists.txt is their one source).
: "${KELT_VERSION:?the build passes KELT_VERSION}" "${KELT_TERMINAL_VERSION:?and KELT_TERMINAL_VERSION}"
package=KELT-9R-$KELT_VERSION-win32
packages=${KELT_PACKAGES:-$build_dir/packages}
zip="$packages/$package.zip"
installer="$packages/$package.exe"
delivered=(CHANGELOG.md README.md TRY-WITHOUT-INSTRUMENT.txt keltpanel.exe keltsim.exe keltterm.exe sample.scp)
programs=(keltpanel.exe keltterm.exe keltsim.exe)
panel_version=$KELT_VERSION
simulator_version=$KELT_VERSION
terminal_version=$KELT_TERMINAL_VERSION

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

need_file() {
  [ -f "$1" ] || { echo "FAIL: $1 is missing (run the build step first)"; exit 1; }
}

# The ZIP's programs, unpacked once: they are what the other checks look at.
unpacked=""
unpack_zip() {
  [ -n "$unpacked" ] && return
  need_file "$zip"
  mkdir -p "$work/zip"
  unzip -q "$zip" -d "$work/zip" || { echo "FAIL: $zip does not unpack"; exit 1; }
  unpacked="$work/zip/$package"
}

step_build() {
  rm -rf "$packages" "$build_dir/_CPack_Packages"
  local start end
  start=$(date +%s.%N)
  if ! (cd "$build_dir" && "$cpack" --config CPackConfig.cmake); then
    fail "cpack did not make the packages"
    return
  fi
  end=$(date +%s.%N)
  echo "packages made in $(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.1f", b - a }') s"
  local file
  for file in "$zip" "$installer"; do
    if [ -f "$file" ]; then
      echo "$(basename "$file"): $(stat -c %s "$file") bytes"
    else
      fail "$file was not made"
    fi
  done
}

step_zip() {
  need_file "$zip"
  local expected actual name
  expected=$(printf "$package/%s\n" "${delivered[@]}" | sort)
  actual=$(unzip -Z1 "$zip" | grep -v '/$' | sort)
  if [ "$actual" != "$expected" ]; then
    fail "the ZIP holds other files than expected"
    diff <(echo "$expected") <(echo "$actual") | sed -n 's/^[<>]/  &/p'
  fi
  unpack_zip
  local source
  for source in "$root/README.md" "$root/CHANGELOG.md" "$root/packaging/sample.scp" \
                "$root/packaging/TRY-WITHOUT-INSTRUMENT.txt"; do
    name=$(basename "$source")
    [ -f "$unpacked/$name" ] || continue
    cmp -s "$unpacked/$name" "$source" || fail "$name in the ZIP differs from ${source#"$root"/}"
  done
  # The text beside the programs is the README's section of the same name,
  # below its own title.
  local section
  if [ -f "$unpacked/TRY-WITHOUT-INSTRUMENT.txt" ] && [ -f "$unpacked/README.md" ]; then
    section=$(awk '/^## / { inside = ($0 == "## Try it without an instrument") ; next } inside' "$unpacked/README.md")
    if [ "$(sed '1,3d' "$unpacked/TRY-WITHOUT-INSTRUMENT.txt")" != "$(sed '1{/^$/d}' <<< "$section")" ]; then
      fail "TRY-WITHOUT-INSTRUMENT.txt is not the README's section \"Try it without an instrument\""
    fi
  fi
}

step_installer() {
  need_file "$installer"
  unpack_zip
  local listing expected actual name
  if ! listing=$(7z l -slt "$installer"); then
    fail "7z cannot read the installer"
    return
  fi
  grep -qx 'Type = Nsis' <<< "$listing" || fail "the installer is not an NSIS installer"
  # Plug-ins of the installer itself live in $PLUGINSDIR; the rest is installed.
  # The entries follow the line of dashes; before it stands the installer itself.
  actual=$(awk '/^----------$/ { entries = 1 } entries && sub(/^Path = /, "")' <<< "$listing" |
           grep -v '^\$PLUGINSDIR/' | sort)
  expected=$(printf '%s\n' "${delivered[@]}" Uninstall.exe | sort)
  if [ "$actual" != "$expected" ]; then
    fail "the installer holds other files than expected"
    diff <(echo "$expected") <(echo "$actual") | sed -n 's/^[<>]/  &/p'
  fi
  mkdir -p "$work/installer"
  (cd "$work/installer" && 7z x -y "$installer" "${delivered[@]}" >/dev/null) ||
    { fail "7z cannot unpack the installer"; return; }
  for name in "${delivered[@]}"; do
    [ -f "$work/installer/$name" ] || { fail "$name is not in the installer"; continue; }
    [ -f "$unpacked/$name" ] || continue
    cmp -s "$unpacked/$name" "$work/installer/$name" ||
      fail "$name in the installer differs from the one in the ZIP"
  done
}

step_script() {
  local nsi="$build_dir/_CPack_Packages/win32/NSIS/project.nsi" facts
  need_file "$nsi"
  facts=$($inspect nsis "$nsi") || { fail "cannot read $nsi"; return; }
  local program link start_in links
  for program in keltpanel.exe keltterm.exe; do
    links=$(awk -F'\t' -v t="\$INSTDIR\\$program" '$1 == "shortcut" && $3 == t' <<< "$facts")
    if [ "$(grep -c . <<< "$links")" -ne 1 ]; then
      fail "want one shortcut to $program, found: ${links:-none}"
      continue
    fi
    link=$(cut -f2 <<< "$links")
    start_in=$(cut -f4 <<< "$links")
    [[ $link == '$SMPROGRAMS\$STARTMENU_FOLDER\'*.lnk ]] ||
      fail "the shortcut to $program is not in the Start-menu folder: $link"
    [ "$start_in" != "(none)" ] || fail "the shortcut to $program has no start-in folder"
    grep -qxF "uninstall-delete	${link/\$STARTMENU_FOLDER/\$MUI_TEMP}" <<< "$facts" ||
      fail "the uninstaller leaves the shortcut $link"
    grep -qxF "uninstall-delete	\$INSTDIR\\$program" <<< "$facts" ||
      fail "the uninstaller leaves $program"
    if [ "$program" = keltpanel.exe ]; then
      # The panel writes its settings file where it starts.
      if [[ $start_in != '$DOCUMENTS\'?* ]]; then
        fail "the panel's shortcut starts in $start_in, not in a folder of the documents"
      elif ! grep -qxF "create-directory	$start_in" <<< "$facts"; then
        fail "the panel's settings folder $start_in is made only with the shortcuts"
      fi
    fi
  done
  # The simulator has no shortcut (it is started with its port from a
  # command prompt), and goes with the programs.
  grep -qxF 'uninstall-delete	$INSTDIR\keltsim.exe' <<< "$facts" || fail "the uninstaller leaves keltsim.exe"
  if grep '^shortcut' <<< "$facts" | grep -qF 'keltsim.exe'; then
    fail "keltsim.exe has a shortcut, which would start it without its port"
  fi
  grep -q '^uninstaller	\$INSTDIR\\.*\.exe$' <<< "$facts" || fail "no uninstaller is written"
  # The user's settings and scripts outlive the programs.
  if grep -E '^uninstall-(delete|rmdir)' <<< "$facts" | grep -qF '$DOCUMENTS'; then
    fail "the uninstaller removes something in the documents"
  fi
  if grep '^uninstall-rmdir' <<< "$facts" | cut -f2 | grep -qi '/r'; then
    fail "the uninstaller removes a folder with everything in it"
  fi
}

check_version() {  # program, expected version, expected fixed version
  local facts
  facts=$($inspect version "$1") || { fail "cannot read the version of $1"; return; }
  local want
  for want in "FixedFileVersion=$3" "FixedProductVersion=$3" "FileVersion=$2" \
              "ProductVersion=$2" "OriginalFilename=$(basename "$1")"; do
    grep -qxF "$want" <<< "$facts" ||
      fail "$(basename "$1"): want $want, have $(grep -m 1 "^${want%%=*}=" <<< "$facts" || echo none)"
  done
}

step_versions() {
  unpack_zip
  check_version "$unpacked/keltpanel.exe" "$panel_version" "$panel_version.0"
  check_version "$unpacked/keltterm.exe" "$terminal_version" "$terminal_version.0.0"
  check_version "$unpacked/keltsim.exe" "$simulator_version" "$simulator_version.0"
  local program kind want
  for program in "${programs[@]}"; do
    want=windows
    [ "$program" = keltsim.exe ] && want=console
    kind=$($inspect subsystem "$unpacked/$program") || { fail "cannot read the subsystem of $program"; continue; }
    [ "$kind" = "$want" ] || fail "$program is a $kind program, not a $want one"
  done
}

step_imports() {
  unpack_zip
  OBJDUMP=$objdump "$root/scripts/check-imports.sh" "${programs[@]/#/$unpacked/}" ||
    fail "a packaged program imports more than Windows' own DLLs"
}

step_sums() {
  need_file "$packages/SHA256SUMS"
  local listed present
  listed=$(sed -E 's/^[0-9a-f]{64}  //' "$packages/SHA256SUMS" | sort)
  present=$(find "$packages" -maxdepth 1 -type f ! -name SHA256SUMS -printf '%f\n' | sort)
  if [ "$listed" != "$present" ]; then
    fail "SHA256SUMS lists other files than the release folder holds"
    comm -23 <(echo "$present") <(echo "$listed") | sed 's/^/  not listed: /'
    comm -13 <(echo "$present") <(echo "$listed") | sed 's/^/  listed but not there: /'
  fi
  (cd "$packages" && sha256sum --strict --quiet -c SHA256SUMS) ||
    fail "a file of the release folder does not match SHA256SUMS"
}

# The certificate and its password reach the packaging only through the
# environment, as on a release machine.
step_signed() {
  local signing="$build_dir/signing" password file
  rm -rf "$signing"
  "$root/scripts/sign.sh" --throw-away-certificate "$signing/certificate" ||
    { fail "no throw-away certificate"; return; }
  password=$(cat "$signing/certificate/password")
  if ! (cd "$build_dir" &&
        KELT_SIGN_PFX="$signing/certificate/signer.p12" KELT_SIGN_PASSWORD="$password" \
          "$cpack" --config CPackConfig.cmake -B "$signing/cpack" \
          -D CPACK_OUTPUT_FILE_PREFIX="$signing/packages") > "$signing/cpack.log" 2>&1; then
    tail -n 20 "$signing/cpack.log"
    fail "cpack did not make signed packages"
    return
  fi
  grep -rlF "$password" "$signing/cpack" "$signing/cpack.log" "$signing/packages" &&
    fail "the certificate's password shows in the files above"
  mkdir -p "$signing/zip" "$signing/installer"
  unzip -q "$signing/packages/$package.zip" -d "$signing/zip"
  (cd "$signing/installer" && 7z x -y "$signing/packages/$package.exe" "${programs[@]}" Uninstall.exe >/dev/null)
  for file in "${programs[@]/#/$signing/zip/$package/}" "${programs[@]/#/$signing/installer/}" \
              "$signing/installer/Uninstall.exe" "$signing/packages/$package.exe"; do
    if ! osslsigncode verify -CAfile "$signing/certificate/signer.pem" -in "$file" > "$signing/verify.log" 2>&1; then
      fail "${file#"$signing"/} is not signed so that osslsigncode verify accepts it"
      sed 's/^/  /' "$signing/verify.log" | tail -n 5
    fi
  done
  # Signing adds a signature and nothing else: without it each program is
  # the unsigned package's, byte for byte.
  unpack_zip
  for file in "${programs[@]}"; do
    osslsigncode remove-signature -in "$signing/zip/$package/$file" -out "$signing/unsigned-$file" >/dev/null 2>&1
    cmp -s "$signing/unsigned-$file" "$unpacked/$file" ||
      fail "$file without its signature is not the unsigned package's $file"
  done
  KELT_PACKAGES="$signing/packages" "$0" "$build_dir" zip installer versions imports sums ||
    fail "the signed packages fail the checks above"
}

for step in "${steps[@]}"; do
  case $step in
    build | zip | installer | script | versions | imports | sums | signed) "step_$step" ;;
    *) echo "unknown step $step"; exit 2 ;;
  esac
done

if [ "$failures" -ne 0 ]; then
  echo "check-packages: $failures failure(s)"
  exit 1
fi
echo "check-packages: ${steps[*]}: passed"
