# Shared by the Wine test runner and the demo, bench and soak scripts (sourced, not run):
# which architectures this machine can run, the build root's private Wine prefix for one
# of them, and the simulated player's life cycle.
#   x86_unavailable               prints why 32-bit Wine cannot run here; fails when it can
#   default_arch                  x86 where the machine runs it, else x64
#   runnable_arches               x86 x64, or x64 alone
#   describe_arch <arch>          one line naming the DLL that runs, and why
#   wine_env_setup <build-root> [x86|x64]   exports WINEPREFIX etc., creates the prefix
#                                 (the architecture: the argument, else $ZEL_ARCH, else default)
#   player_start <scenario> <log> <install-dir> [title]   (Windows paths) and wait
#   player_stop                   close the player, then stop the prefix's wineserver
#
# ZEL_NO_X86=1 makes this machine count as one that runs no 32-bit programs, so that the
# x64-only path can be tried anywhere.

ZEL_WINE32=/usr/lib/wine/wine
ZEL_WINE64=/usr/lib/wine/wine64

# A static i386 ELF program that only exits: runs where the kernel runs 32-bit code.
x86_kernel_probe() {
    local probe
    probe=$(mktemp)
    printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5b\x00\x00\x00\x5b\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\x31\xdb\x31\xc0\x40\xcd\x80' >"$probe"
    chmod +x "$probe"
    "$probe" 2>/dev/null
    local rc=$?
    rm -f "$probe"
    return $rc
}

x86_unavailable() {
    if [ "${ZEL_NO_X86:-0}" = 1 ]; then
        echo "32-bit stage switched off (ZEL_NO_X86=1)"
    elif ! x86_kernel_probe; then
        echo "this kernel runs no 32-bit programs (ia32 emulation is off)"
    elif [ ! -x "$ZEL_WINE32" ]; then
        echo "32-bit Wine is not installed (package wine32:i386)"
    else
        return 1
    fi
    return 0
}

default_arch() {
    if x86_unavailable >/dev/null; then echo x64; else echo x86; fi
}

# Every architecture this machine runs, 32-bit first.
runnable_arches() {
    if x86_unavailable >/dev/null; then echo x64; else echo x86 x64; fi
}

# One line that says which DLL runs and, where the 32-bit one cannot, why.
describe_arch() {
    if [ "$1" = x86 ]; then
        echo "the 32-bit DLL (build/windows) under 32-bit Wine"
    else
        echo "the x64 DLL (build/windows-x64) under 64-bit Wine$(x86_unavailable | sed 's/^/; 32-bit: /')"
    fi
}

wine_env_setup() {
    local root
    root=$(cd "$1" && pwd)
    ZEL_ARCH=${2:-${ZEL_ARCH:-$(default_arch)}}
    export WINEDEBUG=-all LC_ALL=C.UTF-8
    if [ "$ZEL_ARCH" = x86 ]; then
        export WINEPREFIX="$root/wineprefix" WINEARCH=win32
        ZEL_WINE=$ZEL_WINE32
        WINDOWS_BUILD="$root/windows"
    else
        # Debian's wine wrapper picks the 32-bit loader whenever it is installed, even
        # where it cannot run: the 64-bit loader is called by its own path.
        export WINEPREFIX="$root/wineprefix64" WINEARCH=win64
        ZEL_WINE=$ZEL_WINE64
        WINDOWS_BUILD="$root/windows-x64"
    fi
    export WINELOADER=$ZEL_WINE
    # No Mono or Gecko prompts, and no window system: the null graphics driver.
    export WINEDLLOVERRIDES="mscoree,mshtml="
    unset DISPLAY WAYLAND_DISPLAY
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "creating the Wine prefix $WINEPREFIX (first time only)" >&2
        wine wineboot.exe -i >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
        wineserver -w
    fi
}

# The loader and server of the prefix's architecture, whatever is first on the PATH.
wine() { "$ZEL_WINE" "$@"; }
wineserver() {
    if [ "$ZEL_ARCH" = x64 ] && [ -x /usr/lib/wine/wineserver64 ]; then
        /usr/lib/wine/wineserver64 "$@"
    else
        command wineserver "$@"
    fi
}

# Windows text output ends lines in CR LF.
wine_run() { wine "$@" | tr -d '\r'; }

# Points the player's uninstall entry at a directory (Windows path, trailing backslash).
set_install_dir() {
    wine reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Winamp' \
        /v UninstallString /d "\"${1}uninstall.exe\"" /reg:32 /f >/dev/null 2>&1
}

PLAYER_PID=
player_start() {
    local args=(--scenario "$1" --log "$2" --install-dir "$3")
    [ $# -ge 4 ] && args+=(--title "$4")
    wine "$WINDOWS_BUILD/fake_player.exe" "${args[@]}" >/dev/null 2>&1 &
    PLAYER_PID=$!
    wine "$WINDOWS_BUILD/wintool.exe" wait-window 60 >/dev/null
}

player_stop() {
    if [ -n "$PLAYER_PID" ]; then
        wine "$WINDOWS_BUILD/wintool.exe" close-player >/dev/null 2>&1 || kill "$PLAYER_PID" 2>/dev/null
        wait "$PLAYER_PID" 2>/dev/null
        PLAYER_PID=
    fi
    wineserver -k 2>/dev/null || true
}
