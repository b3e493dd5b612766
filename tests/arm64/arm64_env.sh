# The emulated Windows-on-ARM corner of the test suite (sourced, not run): whether this
# machine can run aarch64 programs, and a Debian arm64 root with Debian's arm64 Wine,
# made once under the build root and reused.
#   arm64_unavailable             prints why the ARM64 stage cannot run; fails when it can
#   arm64_root_setup <build-root> makes (first time) and mounts the root; sets ARM64_ROOT
#   arm64_root_unmount            undoes the mounts: the caller traps EXIT with it, since
#                                 a root left mounted would expose /dev to rm -rf build
#   arm64_wine <args>             runs Wine for ARM64 inside the root, in its own prefix
#
# ZEL_NO_ARM64=1 switches the stage off.

ARM64_SUITE=bookworm
ARM64_ROOT=

# A static aarch64 ELF program that only exits (mov x0,#0; mov x8,#93; svc #0): runs
# where binfmt hands aarch64 programs to an emulator.
arm64_kernel_probe() {
    local probe rc
    probe=$(mktemp)
    printf '\x7f\x45\x4c\x46\x02\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\xb7\x00\x01\x00\x00\x00\x78\x00\x40\x00\x00\x00\x00\x00\x40\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x40\x00\x38\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x05\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x40\x00\x00\x00\x00\x00\x00\x00\x40\x00\x00\x00\x00\x00\x84\x00\x00\x00\x00\x00\x00\x00\x84\x00\x00\x00\x00\x00\x00\x00\x00\x10\x00\x00\x00\x00\x00\x00\x00\x00\x80\xd2\xa8\x0b\x80\xd2\x01\x00\x00\xd4' >"$probe"
    chmod +x "$probe"
    "$probe" 2>/dev/null
    rc=$?
    rm -f "$probe"
    return $rc
}

# Hands aarch64 programs to qemu where binfmt_misc allows it: mounts the file system if
# it is not, and enables qemu-user-static's entry. Quiet; the probe tells the outcome.
arm64_enable_binfmt() {
    [ "$(id -u)" = 0 ] || return 0
    if [ ! -e /proc/sys/fs/binfmt_misc/register ]; then
        mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc 2>/dev/null || return 0
    fi
    if [ ! -e /proc/sys/fs/binfmt_misc/qemu-aarch64 ] && command -v update-binfmts >/dev/null; then
        update-binfmts --enable qemu-aarch64 >/dev/null 2>&1 || true
    fi
}

arm64_unavailable() {
    if [ "${ZEL_NO_ARM64:-0}" = 1 ]; then
        echo "ARM64 stage switched off (ZEL_NO_ARM64=1)"
    elif [ "$(id -u)" != 0 ]; then
        echo "making and entering the arm64 root needs root (chroot, mount)"
    elif [ ! -x /usr/bin/qemu-aarch64-static ]; then
        echo "qemu-user-static is not installed"
    elif ! command -v debootstrap >/dev/null; then
        echo "debootstrap is not installed"
    elif ! { arm64_enable_binfmt; arm64_kernel_probe; }; then
        echo "this machine does not run aarch64 programs (no binfmt entry for qemu-aarch64)"
    else
        return 1
    fi
    return 0
}

# The Debian mirror apt already uses here, so that the root comes from the same place
# ($ZEL_ARM64_MIRROR, if set, instead).
arm64_mirror() {
    local uri
    uri=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources \
            2>/dev/null | grep -oE 'https?://[^ ]*/debian/?( |$)' | grep -v security | head -1)
    echo "${ZEL_ARM64_MIRROR:-${uri:-http://deb.debian.org/debian}}" | tr -d ' '
}

arm64_root_unmount() {
    [ -n "$ARM64_ROOT" ] || return 0
    local point
    for point in proc dev; do
        if mountpoint -q "$ARM64_ROOT/$point" 2>/dev/null; then umount -l "$ARM64_ROOT/$point"; fi
    done
}

# Inside the root, as Wine for ARM64 wants it: its own 64-bit prefix, no display, UTF-8
# file names. WINEARCH is set here, never inherited from a 32-bit stage.
# Each run is bounded: under emulation Wine has been seen, rarely, to hang while it starts
# its session (wineboot), and a hung stage must not hold the suite.
arm64_wine() {
    timeout -k 10 "${ZEL_ARM64_CALL_LIMIT:-240}" chroot "$ARM64_ROOT" /usr/bin/env -i PATH=/usr/bin:/bin HOME=/root LC_ALL=C.UTF-8 \
        WINEPREFIX=/root/prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
        /usr/lib/wine/wine64 "$@"
}
arm64_wineserver() {
    timeout -k 10 "${ZEL_ARM64_CALL_LIMIT:-240}" chroot "$ARM64_ROOT" /usr/bin/env -i PATH=/usr/bin:/bin HOME=/root WINEPREFIX=/root/prefix \
        /usr/lib/wine/wineserver "$@"
}

# A copy of a ready root that the machine keeps across clones and build folders: making
# one runs every package's set-up under emulation, which takes minutes.
ARM64_ROOT_CACHE=/var/cache/zel-winamp/arm64-root.tar

# Makes the root on first use (from the machine's copy, else debootstrap, then wine64 and
# a prefix inside it); a root whose making was cut short is made afresh. Mounts /proc and
# /dev into it.
arm64_root_setup() {
    local build
    build=$(cd "$1" && pwd)
    ARM64_ROOT=$build/arm64-root
    arm64_root_unmount
    if [ ! -f "$ARM64_ROOT/.zel-ready" ] && [ -f "$ARM64_ROOT_CACHE" ]; then
        echo "arm64: taking the root from this machine's copy $ARM64_ROOT_CACHE"
        rm -rf --one-file-system "$ARM64_ROOT"
        mkdir -p "$ARM64_ROOT"
        tar -xf "$ARM64_ROOT_CACHE" -C "$ARM64_ROOT" 2>/dev/null || rm -f "$ARM64_ROOT/.zel-ready"
    fi
    if [ ! -f "$ARM64_ROOT/.zel-ready" ]; then
        echo "arm64: making the root $ARM64_ROOT (first time only: a few minutes)"
        rm -rf --one-file-system "$ARM64_ROOT"
        debootstrap --arch=arm64 --variant=minbase "$ARM64_SUITE" "$ARM64_ROOT" "$(arm64_mirror)" \
            >"$build/arm64-root.log" 2>&1 || { echo "arm64: debootstrap failed (see $build/arm64-root.log)"; return 1; }
    fi
    mount -t proc proc "$ARM64_ROOT/proc" && mount --bind /dev "$ARM64_ROOT/dev" || return 1
    if [ ! -f "$ARM64_ROOT/.zel-ready" ]; then
        chroot "$ARM64_ROOT" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive \
            sh -c 'apt-get update -q && apt-get install -y -q --no-install-recommends wine64' \
            >>"$build/arm64-root.log" 2>&1 </dev/null || { echo "arm64: installing wine64 in the root failed (see $build/arm64-root.log)"; return 1; }
        arm64_wine wineboot.exe -i >/dev/null 2>&1 </dev/null
        arm64_wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1 </dev/null
        arm64_wineserver -w
        [ -f "$ARM64_ROOT/root/prefix/system.reg" ] || { echo "arm64: Wine for ARM64 made no prefix in the root"; return 1; }
        touch "$ARM64_ROOT/.zel-ready"
    fi
    if [ ! -f "$ARM64_ROOT_CACHE" ] && mkdir -p "${ARM64_ROOT_CACHE%/*}" 2>/dev/null; then
        # /proc and /dev are mounted now: --one-file-system keeps them out; so are the
        # files an earlier run of the stage left (its sparse 5 GiB track among them).
        tar -cf "$ARM64_ROOT_CACHE.part" --one-file-system --sparse --exclude=./zel \
            --exclude=./root/prefix/drive_c/zelarm -C "$ARM64_ROOT" . 2>/dev/null &&
            mv "$ARM64_ROOT_CACHE.part" "$ARM64_ROOT_CACHE" || rm -f "$ARM64_ROOT_CACHE.part"
    fi
}
