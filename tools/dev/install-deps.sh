#!/usr/bin/env bash
# Installs what building and testing need, on Debian 12, as root. Does nothing when all
# of it is already there, so every make target can call it first.
set -euo pipefail

need=()
have() { command -v "$1" >/dev/null 2>&1; }
have cmake || need+=(cmake)
have g++ || need+=(g++)
have i686-w64-mingw32-g++ || need+=(g++-mingw-w64-i686)
[ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
have zip || need+=(zip)
[ -x /usr/bin/python3 ] || need+=(python3)
/usr/bin/python3 -c 'import mutagen' >/dev/null 2>&1 || need+=(python3-mutagen)
have chattr || need+=(e2fsprogs)
wine_ok=1
have wine || wine_ok=0
dpkg -s wine32:i386 >/dev/null 2>&1 || wine_ok=0
[ "$wine_ok" = 1 ] || need+=(wine wine32:i386)
# The fuzzers want clang and its fuzzer runtime; without them the fuzz runs are skipped.
optional=()
if [ "${ZEL_WANT_FUZZ:-0}" = 1 ]; then
  have clang++ || optional+=(clang)
  ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 ||
    optional+=(libclang-rt-dev)
fi

[ ${#need[@]} -eq 0 ] && [ ${#optional[@]} -eq 0 ] && exit 0

if [ "$(id -u)" != 0 ]; then
  [ ${#need[@]} -eq 0 ] && exit 0
  echo "missing packages: ${need[*]} (run as root to install them)" >&2
  exit 1
fi
echo "installing: ${need[*]} ${optional[*]}"
export DEBIAN_FRONTEND=noninteractive
if [ "$wine_ok" = 0 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
apt-get update -q >/dev/null
if [ ${#need[@]} -gt 0 ]; then
  apt-get install -y -q --no-install-recommends "${need[@]}" >/dev/null
fi
if [ ${#optional[@]} -gt 0 ]; then
  apt-get install -y -q --no-install-recommends "${optional[@]}" >/dev/null ||
    echo "could not install ${optional[*]}: fuzz runs will be skipped"
fi
