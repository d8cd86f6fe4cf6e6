#!/usr/bin/env bash
# Installs, with apt-get, exactly the Debian packages that are missing for
# building and testing both programs. Safe to run again and again.
set -euo pipefail

packages=(
  cmake make g++ clang libclang-rt-14-dev libgtest-dev googletest libbenchmark-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine wine64 xvfb xauth imagemagick python3-pil
  nsis p7zip-full unzip
  osslsigncode openssl
)

# The delivered programs are 32-bit. Wine runs them only with its 32-bit
# part, and only where the kernel executes 32-bit code at all: a 96-byte
# i386 program that exits with 42 tells, without the network.
kernel_runs_32bit() {
  local probe status root
  root=$(cd "$(dirname "$0")/.." && pwd)
  mkdir -p "$root/build"
  probe=$(mktemp -p "$root/build" probe32.XXXXXX)  # not /tmp, which may forbid running programs
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' > "$probe"
  chmod +x "$probe"
  status=0
  "$probe" >/dev/null 2>&1 || status=$?
  rm -f "$probe"
  [ "$status" -eq 42 ]
}

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive

if kernel_runs_32bit; then
  packages+=(wine32:i386)
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "setup: this kernel runs 32-bit programs; adding the i386 architecture for Wine's 32-bit part"
    "${sudo_cmd[@]}" dpkg --add-architecture i386
  fi
else
  echo "setup: this kernel does not run 32-bit programs; the Wine tests use the 64-bit build only"
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: everything is installed"
  exit 0
fi

echo "setup: installing ${missing[*]}"
# A mirror in the middle of a sync can fail one index (seen: the i386
# security index with the wrong size) while the packages themselves are
# there: try the update a few times, then install from what was fetched.
for attempt in 1 2 3; do
  if "${sudo_cmd[@]}" apt-get update -q; then break; fi
  echo "setup: apt-get update failed (attempt $attempt); the install goes on with the indexes it has"
  [ "$attempt" -eq 3 ] || sleep 10
done
if "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"; then exit 0; fi
# Wine's 32-bit part pulls in i386 libraries that must match the installed
# 64-bit ones to the version; a mirror that lacks one (a security update not
# yet synced for i386) makes it uninstallable for a while. The 64-bit build
# is tested all the same, as on a kernel without 32-bit support.
rest=()
for package in "${missing[@]}"; do [ "$package" = wine32:i386 ] || rest+=("$package"); done
[ ${#rest[@]} -lt ${#missing[@]} ] || exit 1
echo "setup: Wine's 32-bit part cannot be installed from this mirror now; the Wine tests use the 64-bit build only"
[ ${#rest[@]} -eq 0 ] || "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${rest[@]}"
