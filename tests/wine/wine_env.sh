# Shared by the Wine test runner and the demo, bench and soak scripts (sourced, not run):
# the build root's private Wine prefix and the simulated player's life cycle.
#   wine_env_setup <build-root>   exports WINEPREFIX etc., creates the prefix if needed
#   player_start <scenario> <log> <install-dir> [title]   (Windows paths) and wait
#   player_stop                   close the player, then stop the prefix's wineserver

wine_env_setup() {
    local root
    root=$(cd "$1" && pwd)
    export WINEPREFIX="$root/wineprefix" WINEARCH=win32 WINEDEBUG=-all
    # No Mono or Gecko prompts, and no window system: the null graphics driver.
    export WINEDLLOVERRIDES="mscoree,mshtml="
    unset DISPLAY WAYLAND_DISPLAY
    WINDOWS_BUILD="$root/windows"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "creating the Wine prefix $WINEPREFIX (first time only)" >&2
        wineboot -i >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
        wineserver -w
    fi
}

# Windows text output ends lines in CR LF.
wine_run() { wine "$@" | tr -d '\r'; }

# Points the player's uninstall entry at a directory (Windows path, trailing backslash).
set_install_dir() {
    wine reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Winamp' \
        /v UninstallString /d "\"${1}uninstall.exe\"" /f >/dev/null 2>&1
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
