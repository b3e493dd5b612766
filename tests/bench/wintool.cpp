// Small desktop chores for the Wine scripts, done from outside the simulated player:
//   wintool wait-window <seconds>   wait until a "Winamp v1.x" window exists
//   wintool set-caption <text>      set that window's caption, as the player would
//   wintool close-player            ask that window to close and wait until it is gone
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr char kPlayerClass[] = "Winamp v1.x";

HWND Player() { return FindWindowA(kPlayerClass, nullptr); }

bool WaitFor(bool present, double seconds) {
    const DWORD deadline = GetTickCount() + static_cast<DWORD>(seconds * 1000);
    while ((Player() != nullptr) != present) {
        if (static_cast<LONG>(GetTickCount() - deadline) > 0) return false;
        Sleep(20);
    }
    return true;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: wintool wait-window <seconds> | set-caption <text> | close-player\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const char* verb = argv[1];
    if (std::strcmp(verb, "wait-window") == 0 && argc == 3) {
        if (WaitFor(true, std::atof(argv[2]))) return 0;
        std::fprintf(stderr, "wintool: no %s window appeared\n", kPlayerClass);
        return 1;
    }
    if (std::strcmp(verb, "set-caption") == 0 && argc == 3) {
        HWND player = Player();
        if (player == nullptr || !SetWindowTextA(player, argv[2])) {
            std::fprintf(stderr, "wintool: could not set the player's caption\n");
            return 1;
        }
        return 0;
    }
    if (std::strcmp(verb, "close-player") == 0 && argc == 2) {
        HWND player = Player();
        if (player != nullptr) PostMessageA(player, WM_CLOSE, 0, 0);
        return WaitFor(false, 10) ? 0 : 1;
    }
    return Usage();
}
