#!/usr/bin/env bash
# Installs what building and testing need, on Debian 12, as root. Does nothing when all
# of it is already there, so every make target can call it first.
#
# 32-bit Wine is wanted but not required: where the kernel runs no 32-bit programs it
# cannot start however it is installed, and its packages may not be installable at all
# (a mirror without the i386 lists). The tests then run the x64 DLL under 64-bit Wine and
# check the 32-bit DLL statically, and say so; nothing here fails for it.
#
# The ARM64 DLL is built with Debian's clang-19, lld-19 and llvm-19 (its import libraries
# are made by llvm-dlltool-19) and libc++'s headers. Its test stage wants qemu-user-static,
# binfmt-support and debootstrap; without them it is checked statically, and says so.
set -euo pipefail
cd "$(dirname "$0")/../.."
. tests/wine/wine_env.sh

need=()
have() { command -v "$1" >/dev/null 2>&1; }
have cmake || need+=(cmake)
have g++ || need+=(g++)
have i686-w64-mingw32-g++ || need+=(g++-mingw-w64-i686)
have x86_64-w64-mingw32-g++ || need+=(g++-mingw-w64-x86-64)
[ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
have zip || need+=(zip)
[ -x /usr/bin/python3 ] || need+=(python3)
/usr/bin/python3 -c 'import mutagen' >/dev/null 2>&1 || need+=(python3-mutagen)
have chattr || need+=(e2fsprogs)
[ -x "$ZEL_WINE64" ] || need+=(wine wine64)
have clang++-19 || need+=(clang-19)
have ld.lld-19 || need+=(lld-19)
have llvm-dlltool-19 || need+=(llvm-19)
[ -f /usr/lib/llvm-19/include/c++/v1/string ] || need+=(libc++-19-dev)
# 32-bit Wine only where this kernel can run it; after a failed try, again a day later.
want_wine32=0
tried=/var/lib/zel-winamp-wine32-tried
recent_try=$(find "$tried" -mmin -1440 2>/dev/null || true)
if [ ! -x "$ZEL_WINE32" ] && [ -z "$recent_try" ] && x86_kernel_probe; then want_wine32=1; fi
# The fuzzers want clang and its fuzzer runtime; without them the fuzz runs are skipped.
optional=()
if [ "${ZEL_WANT_ARM64:-0}" = 1 ] && [ "${ZEL_NO_ARM64:-0}" != 1 ]; then
  [ -x /usr/bin/qemu-aarch64-static ] || optional+=(qemu-user-static)
  have update-binfmts || optional+=(binfmt-support)
  have debootstrap || optional+=(debootstrap)
fi
if [ "${ZEL_WANT_FUZZ:-0}" = 1 ]; then
  have clang++ || optional+=(clang)
  ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 ||
    optional+=(libclang-rt-dev)
fi

[ ${#need[@]} -eq 0 ] && [ ${#optional[@]} -eq 0 ] && [ "$want_wine32" = 0 ] && exit 0

if [ "$(id -u)" != 0 ]; then
  [ ${#need[@]} -eq 0 ] && exit 0
  echo "missing packages: ${need[*]} (run as root to install them)" >&2
  exit 1
fi
echo "installing: ${need[*]} ${optional[*]}$([ "$want_wine32" = 1 ] && echo ' wine32:i386')"
export DEBIAN_FRONTEND=noninteractive
if [ "$want_wine32" = 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
# A list that fails to download (a mirror in the middle of a sync) must not stop the
# packages that can be had.
apt-get update -q >/dev/null 2>&1 || echo "apt-get update reported errors; going on with the lists it has"
if [ ${#need[@]} -gt 0 ]; then
  apt-get install -y -q --no-install-recommends "${need[@]}" >/dev/null
fi
if [ ${#optional[@]} -gt 0 ]; then
  apt-get install -y -q --no-install-recommends "${optional[@]}" >/dev/null ||
    echo "could not install ${optional[*]}: the fuzz runs or the ARM64 Wine stage will be skipped"
fi
if [ "$want_wine32" = 1 ]; then
  if ! apt-get install -y -q --no-install-recommends wine32:i386 >/dev/null 2>&1; then
    echo "could not install wine32:i386: the 32-bit DLL will be checked statically only"
  fi
  touch "$tried"
fi
exit 0
