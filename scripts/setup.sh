#!/usr/bin/env bash
# Installs, with apt-get, exactly the Debian packages that are missing for
# building and testing both programs. Safe to run again and again.
#
# The delivered programs are 32-bit. Wine runs them with its 32-bit part,
# which needs a CPU that executes i386 code: the kernel's own where it runs
# 32-bit programs, else qemu's user-mode emulation, set up here (packages,
# and a binfmt_misc handler for i386 ELF programs, which Debian does not
# register on amd64). Where neither can be had, only the 64-bit build is
# run under Wine, and the test command says so.
set -euo pipefail

packages=(
  cmake make g++ clang libclang-rt-14-dev libgtest-dev googletest libbenchmark-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine wine64 xvfb xauth imagemagick python3-pil
  nsis p7zip-full unzip
  osslsigncode openssl
)
emulation_packages=(qemu-user-static binfmt-support)
binfmt=/proc/sys/fs/binfmt_misc
# The i386 ELF executable header, matched as Debian's own qemu handlers
# match the other architectures; F opens the emulator once, here, so that
# it also serves programs started in other mount namespaces.
i386_handler=':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F'

root=$(cd "$(dirname "$0")/.." && pwd)
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then sudo_cmd=(sudo -n); else sudo_cmd=(none); fi
fi
export DEBIAN_FRONTEND=noninteractive

as_root() {
  [ "${sudo_cmd[0]:-}" != none ] || return 1
  "${sudo_cmd[@]}" "$@"
}

# A 96-byte i386 program that exits with 42 tells, without the network,
# whether i386 code runs here (natively or through a handler).
i386_code_runs() {
  local probe status
  mkdir -p "$root/build"
  probe=$(mktemp -p "$root/build" probe32.XXXXXX)  # not /tmp, which may forbid running programs
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' > "$probe"
  chmod +x "$probe"
  status=0
  "$probe" >/dev/null 2>&1 || status=$?
  rm -f "$probe"
  [ "$status" -eq 42 ]
}

missing_of() {  # prints those of the packages that are not installed
  local package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || echo "$package"
  done
}

updated=0
apt_install() {  # installs the packages; false when apt-get cannot
  [ $# -gt 0 ] || return 0
  as_root true || { echo "setup: not root and no sudo: cannot install $*"; return 1; }
  if [ "$updated" -eq 0 ]; then
    # A mirror in the middle of a sync can fail one index (seen: the i386
    # security index with the wrong size) while the packages themselves
    # are there: try the update a few times, then install from what was
    # fetched.
    local attempt
    for attempt in 1 2 3; do
      if as_root apt-get update -q; then break; fi
      echo "setup: apt-get update failed (attempt $attempt); the install goes on with the indexes it has"
      [ "$attempt" -eq 3 ] || sleep 10
    done
    updated=1
  fi
  echo "setup: installing $*"
  as_root apt-get install -y -q --no-install-recommends "$@"
}

# Gives i386 programs qemu's CPU: installs the emulator, mounts binfmt_misc
# if it is not, and registers an i386 handler only where none of that name
# exists. No other handler is touched. False, with the reason said, when a
# step cannot be done.
set_up_i386_emulation() {
  local -a missing
  mapfile -t missing < <(missing_of "${emulation_packages[@]}")
  apt_install "${missing[@]}" || { echo "setup: qemu's i386 emulation cannot be installed"; return 1; }
  if [ ! -e "$binfmt/register" ]; then
    echo "setup: mounting binfmt_misc on $binfmt"
    as_root mount -t binfmt_misc binfmt_misc "$binfmt" ||
      { echo "setup: binfmt_misc cannot be mounted here"; return 1; }
  fi
  if [ -e "$binfmt/qemu-i386" ]; then
    echo "setup: an i386 handler is registered already ($(head -n 1 "$binfmt/qemu-i386")); left as it is"
  else
    echo "setup: registering qemu-i386-static as the handler of i386 programs in $binfmt"
    # shellcheck disable=SC2016  # expanded by the root shell, from its argument
    as_root sh -c 'printf "%s" "$1" > "$2/register"' sh "$i386_handler" "$binfmt" ||
      { echo "setup: the i386 handler cannot be registered"; return 1; }
  fi
}

wine32=0
if i386_code_runs; then
  if [ -e "$binfmt/qemu-i386" ] && grep -qx enabled "$binfmt/qemu-i386" 2>/dev/null; then
    echo "setup: i386 programs run under qemu's emulation here"
  fi
  wine32=1
else
  echo "setup: this kernel does not run 32-bit programs; setting up qemu's i386 emulation for Wine's 32-bit part"
  if set_up_i386_emulation && i386_code_runs; then
    echo "setup: i386 programs now run under qemu's emulation"
    wine32=1
  else
    echo "setup: no i386 emulation here; the Wine tests use the 64-bit build only"
  fi
fi

if [ "$wine32" -eq 1 ]; then
  packages+=(wine32:i386)
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "setup: adding the i386 architecture for Wine's 32-bit part"
    if as_root dpkg --add-architecture i386; then
      updated=0  # the i386 indexes are fetched by the next update
    else
      echo "setup: the i386 architecture cannot be added; the Wine tests use the 64-bit build only"
      unset 'packages[-1]'  # wine32:i386, added last
    fi
  fi
fi

mapfile -t missing < <(missing_of "${packages[@]}")
if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: everything is installed"
  exit 0
fi
if apt_install "${missing[@]}"; then exit 0; fi
# Wine's 32-bit part pulls in i386 libraries that must match the installed
# 64-bit ones to the version; a mirror that lacks one (a security update not
# yet synced for i386) makes it uninstallable for a while. The 64-bit build
# is tested all the same, as on a kernel without 32-bit support.
rest=()
for package in "${missing[@]}"; do [ "$package" = wine32:i386 ] || rest+=("$package"); done
[ ${#rest[@]} -lt ${#missing[@]} ] || exit 1
echo "setup: Wine's 32-bit part cannot be installed from this mirror now; the Wine tests use the 64-bit build only"
apt_install "${rest[@]}"
