// Measures the DLL under Wine, each figure side by side with its reference in one run:
//   bench load <dll> <floor-dll> <rounds> <batch>
//       the client's load cycle for one player command, against the floor DLL
//   bench player <dll> <scenario> <dir-big> <dir-one> <dir-huge> <rounds>
//       playlist scan, tag query and memory, with the simulated player running
//   bench wait <dll> <unbounded-dll> <scenario> <dir-one> <rounds>
//       the bound on waiting: its cost against the same DLL without it, and the longest
//       call against a player in a dialog and against a hung one
//   bench find <dll> <scenario> <dir-find> <rounds>
//       find over a playlist of 1,000,000 entries, against ReadFile of the same file
// Each dir-* is a Windows directory (ending in a backslash) holding a winamp.m3u; the
// host points the player's uninstall entry at it before each call. Runs interleave
// (A B A B ...) so that drift in the machine's speed hits both sides alike; figures are
// medians. Each result is one line: name|measured|reference|figure|goal|unit.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "dll_session.h"

namespace {

using zel::bench::CallCommand;
using zel::bench::CallLoadDll;
using zel::bench::CommandFn;
using zel::bench::Now;

constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Winamp";
constexpr DWORD kReadBlock = 64 * 1024;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void Row(const char* name, const std::string& measured, const std::string& reference,
         double figure, double goal, const char* unit) {
    std::printf("%s|%s|%s|%.2f|%.2f|%s\n", name, measured.c_str(), reference.c_str(), figure,
                goal, unit);
    std::fflush(stdout);
}

std::string Micros(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f us", seconds * 1e6);
    return text;
}

std::string Millis(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f ms", seconds * 1e3);
    return text;
}

// One client load cycle: load, LoadDll, the command, unload.
bool LoadCycle(const char* path) {
    HMODULE module = LoadLibraryA(path);
    if (module == nullptr) return false;
    bool ok = CallLoadDll(module);
    auto play = reinterpret_cast<CommandFn>(
        reinterpret_cast<void*>(GetProcAddress(module, "zel_winamp_play")));
    int result = 0;
    if (play != nullptr) CallCommand(play, &result);
    FreeLibrary(module);
    return ok && result == 3;
}

double TimeCycles(const char* path, int batch) {
    const double start = Now();
    for (int i = 0; i < batch; ++i) {
        if (!LoadCycle(path)) {
            std::fprintf(stderr, "bench: load cycle failed for %s\n", path);
            std::exit(1);
        }
    }
    return (Now() - start) / batch;
}

int BenchLoad(const char* dll, const char* floor, int rounds, int batch) {
    // A windowed client already holds these; only the DLL's own cost is left to measure.
    for (const char* system : {"user32.dll", "advapi32.dll", "msvcrt.dll"}) LoadLibraryA(system);
    TimeCycles(dll, batch);  // warm the file cache and the loader's lookups
    TimeCycles(floor, batch);
    std::vector<double> ours, floors;
    for (int round = 0; round < rounds; ++round) {
        if (round % 2 == 0) {
            ours.push_back(TimeCycles(dll, batch));
            floors.push_back(TimeCycles(floor, batch));
        } else {
            floors.push_back(TimeCycles(floor, batch));
            ours.push_back(TimeCycles(dll, batch));
        }
    }
    const double a = Median(ours), b = Median(floors);
    Row("load cycle (per call)", Micros(a), Micros(b), a / b, 1.25, "x floor");
    return 0;
}

// Points the player's uninstall entry at dir and sets the position the player reports.
void UsePlaylist(const std::string& dir, const char* scenario, int position) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY,
                        nullptr, &key, nullptr) == ERROR_SUCCESS) {
        const std::string value = "\"" + dir + "uninstall.exe\"";
        RegSetValueExA(key, "UninstallString", 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
        RegCloseKey(key);
    }
    FILE* file = std::fopen(scenario, "wb");
    if (file != nullptr) {
        std::fprintf(file, "request.125.0=%d\n", position);
        std::fclose(file);
    }
}

// The player answers request 214 for `position` with `path`, from its own memory.
void UsePlayerNamedEntry(const char* scenario, int position, const std::string& path) {
    FILE* file = std::fopen(scenario, "wb");
    if (file != nullptr) {
        std::fprintf(file, "request.125.0=%d\ntext.214.%d=%s\n", position, position, path.c_str());
        std::fclose(file);
    }
}

struct Timed {
    double seconds;
    std::string answer;
};

Timed TimeCall(CommandFn fn, const char* argument = "") {
    int result = 0;
    const double start = Now();
    std::string answer = CallCommand(fn, &result, argument);
    return {Now() - start, answer};
}

// Calls a and b once each, a first in even rounds and b first in odd ones, so that drift
// in the machine's speed hits both alike.
struct TimedPair {
    Timed a, b;
};
TimedPair TimeAlternately(int round, CommandFn a, CommandFn b, const char* argumentA = "",
                          const char* argumentB = "") {
    TimedPair pair;
    if (round % 2 == 0) {
        pair.a = TimeCall(a, argumentA);
        pair.b = TimeCall(b, argumentB);
    } else {
        pair.b = TimeCall(b, argumentB);
        pair.a = TimeCall(a, argumentA);
    }
    return pair;
}

// The host's own reading of the file, the reference for the playlist scan.
double TimeRead(const std::string& path) {
    static std::vector<char> block(kReadBlock);
    const double start = Now();
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    DWORD got = 0;
    while (ReadFile(file, block.data(), kReadBlock, &got, nullptr) && got > 0) {
    }
    CloseHandle(file);
    return Now() - start;
}

CommandFn Export(HMODULE module, const char* name) {
    auto fn = reinterpret_cast<CommandFn>(
        reinterpret_cast<void*>(GetProcAddress(module, name)));
    if (fn == nullptr) {
        std::fprintf(stderr, "bench: the DLL does not export %s\n", name);
        std::exit(1);
    }
    return fn;
}

SIZE_T PeakWorkingSet() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PeakWorkingSetSize;
}

int BenchPlayer(const char* dll, const char* scenario, const std::string& big,
                const std::string& one, const std::string& huge, int rounds) {
    HMODULE module = LoadLibraryA(dll);
    if (module == nullptr || !CallLoadDll(module)) {
        std::fprintf(stderr, "bench: cannot load %s\n", dll);
        return 1;
    }
    CommandFn track_file = Export(module, "zel_winamp_track_file");
    CommandFn artist = Export(module, "zel_winamp_id3_artist");
    constexpr int kLastOfBig = 99999;

    // Memory first, while the host's peak is still its own: one warm-up call on the
    // small playlist, then the call over the single 256 MiB line.
    UsePlaylist(one, scenario, 0);
    TimeCall(track_file);
    UsePlaylist(huge, scenario, 0);
    const SIZE_T before = PeakWorkingSet();
    Timed huge_call = TimeCall(track_file);
    const SIZE_T after = PeakWorkingSet();
    std::fprintf(stderr, "bench: 256 MiB line answered with %u bytes in %s\n",
                 static_cast<unsigned>(huge_call.answer.size()),
                 Millis(huge_call.seconds).c_str());
    char grown[48], peak[48];
    std::snprintf(grown, sizeof grown, "+%.0f KiB", (after - before) / 1024.0);
    std::snprintf(peak, sizeof peak, "peak before %.0f KiB", before / 1024.0);
    Row("memory: 256 MiB line", grown, peak, (after - before) / 1048576.0, 1.0, "MiB");
    // Proof that the figure can move at all: 2 MiB touched by the host itself.
    constexpr SIZE_T kProbe = 2 * 1024 * 1024;
    auto* probe = static_cast<volatile char*>(
        VirtualAlloc(nullptr, kProbe, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (probe != nullptr) {
        for (SIZE_T i = 0; i < kProbe; i += 4096) probe[i] = 1;
        std::fprintf(stderr, "bench: the peak working set moves: 2 MiB touched by the host "
                             "raised it by %.0f KiB\n", (PeakWorkingSet() - after) / 1024.0);
        VirtualFree(const_cast<char*>(probe), 0, MEM_RELEASE);
    }

    // Playlist scan: the last of 100,000 entries, minus a one-entry playlist, against
    // the host reading the same file in 64 KiB blocks.
    const std::string big_file = big + "winamp.m3u";
    TimeRead(big_file);
    std::vector<double> scan_ratio, scan_net, reads;
    std::string last_answer;
    for (int round = 0; round < rounds; ++round) {
        UsePlaylist(big, scenario, kLastOfBig);
        Timed a = TimeCall(track_file);
        last_answer = a.answer;
        UsePlaylist(one, scenario, 0);
        Timed b = TimeCall(track_file);
        const double read = TimeRead(big_file);
        scan_net.push_back(a.seconds - b.seconds);
        reads.push_back(read);
        scan_ratio.push_back((a.seconds - b.seconds) / read);
    }
    std::fprintf(stderr, "bench: entry 100000 is %s\n", last_answer.c_str());
    Row("playlist scan: entry 100000", Millis(Median(scan_net)),
        "ReadFile " + Millis(Median(reads)), Median(scan_ratio), 2.0, "x ReadFile");

    // Tag query against the track file query, same playlist, same last entry.
    UsePlaylist(big, scenario, kLastOfBig);
    std::vector<double> tag_ratio, tags, files;
    std::string artist_answer;
    for (int round = 0; round < rounds; ++round) {
        const auto [a, b] = TimeAlternately(round, artist, track_file);
        artist_answer = a.answer;
        tags.push_back(a.seconds);
        files.push_back(b.seconds);
        tag_ratio.push_back(a.seconds / b.seconds);
    }
    std::fprintf(stderr, "bench: artist of entry 100000 is %s\n", artist_answer.c_str());
    Row("tag query: id3_artist", Millis(Median(tags)), "track_file " + Millis(Median(files)),
        Median(tag_ratio), 2.2, "x track_file");

    // The player names the entry itself (request 214): the playlist's length costs nothing.
    std::vector<double> named_ratio, named_big, named_one;
    for (int round = 0; round < rounds; ++round) {
        UsePlayerNamedEntry(scenario, kLastOfBig, last_answer);
        const Timed a = TimeCall(track_file);
        UsePlayerNamedEntry(scenario, 0, last_answer);
        const Timed b = TimeCall(track_file);
        named_big.push_back(a.seconds);
        named_one.push_back(b.seconds);
        named_ratio.push_back(a.seconds / b.seconds);
    }
    Row("named entry: 100000", Millis(Median(named_big)),
        "1 of 1 " + Millis(Median(named_one)), Median(named_ratio), 1.2, "x one entry");

    // Any entry by number, named by the player (its path by 214, its title by 213):
    // entry 100,000 against entry 1, both named in the one scenario, called alternately.
    const struct {
        const char* label;
        const char* name;
        int code;
    } kNumbered[] = {{"entry_file: 100000", "zel_winamp_entry_file", 214},
                     {"entry_title: 100000", "zel_winamp_entry_title", 213}};
    for (const auto& numbered : kNumbered) {
        CommandFn fn = Export(module, numbered.name);
        if (FILE* file = std::fopen(scenario, "wb")) {
            std::fprintf(file, "text.%d.0=%s\ntext.%d.%d=%s\n", numbered.code, last_answer.c_str(),
                         numbered.code, kLastOfBig, last_answer.c_str());
            std::fclose(file);
        }
        std::vector<double> ratio, last, first;
        for (int round = 0; round < rounds; ++round) {
            const auto [a, b] = TimeAlternately(round, fn, fn, "100000", "1");
            if (a.answer != b.answer) std::fprintf(stderr, "bench: %s answered \"%s\" and \"%s\"\n",
                                                   numbered.name, a.answer.c_str(), b.answer.c_str());
            last.push_back(a.seconds);
            first.push_back(b.seconds);
            ratio.push_back(a.seconds / b.seconds);
        }
        Row(numbered.label, Millis(Median(last)), "entry 1 " + Millis(Median(first)),
            Median(ratio), 1.2, "x entry 1");
    }
    FreeLibrary(module);
    return 0;
}

// One tag figure: query A over the track in dir A against query B over the track in dir
// B, called alternately. Each spec is "label|queryA|dirA|queryB|dirB".
int BenchTags(const char* dll, const char* scenario, int rounds, int count, char** specs) {
    HMODULE module = LoadLibraryA(dll);
    if (module == nullptr || !CallLoadDll(module)) {
        std::fprintf(stderr, "bench: cannot load %s\n", dll);
        return 1;
    }
    for (int i = 0; i < count; ++i) {
        std::vector<std::string> part;
        std::string spec = specs[i];
        for (size_t from = 0, bar;; from = bar + 1) {
            bar = spec.find('|', from);
            part.push_back(spec.substr(from, bar - from));
            if (bar == std::string::npos) break;
        }
        if (part.size() != 5) {
            std::fprintf(stderr, "bench: bad tag figure %s\n", specs[i]);
            return 2;
        }
        CommandFn a = Export(module, part[1].c_str());
        CommandFn b = Export(module, part[3].c_str());
        std::vector<double> as, bs, ratio;
        std::string answers[2];
        for (int round = 0; round <= rounds; ++round) {  // round 0 warms the caches
            Timed ta, tb;
            if (round % 2 == 0) {
                UsePlaylist(part[2], scenario, 0);
                ta = TimeCall(a);
                UsePlaylist(part[4], scenario, 0);
                tb = TimeCall(b);
            } else {
                UsePlaylist(part[4], scenario, 0);
                tb = TimeCall(b);
                UsePlaylist(part[2], scenario, 0);
                ta = TimeCall(a);
            }
            answers[0] = ta.answer;
            answers[1] = tb.answer;
            if (round == 0) continue;
            as.push_back(ta.seconds);
            bs.push_back(tb.seconds);
            ratio.push_back(ta.seconds / tb.seconds);
        }
        std::fprintf(stderr, "bench: %s: %s answered \"%s\", %s answered \"%s\"\n",
                     part[0].c_str(), part[1].c_str(), answers[0].c_str(), part[3].c_str(),
                     answers[1].c_str());
        Row(part[0].c_str(), Millis(Median(as)), part[3].substr(11) + " " + Millis(Median(bs)),
            Median(ratio), 1.2, ("x " + part[3].substr(11)).c_str());
    }
    FreeLibrary(module);
    return 0;
}

void WriteScenario(const char* scenario, const std::string& text) {
    FILE* file = std::fopen(scenario, "wb");
    if (file == nullptr) return;
    std::fputs(text.c_str(), file);
    std::fclose(file);
}

// Waits until the player reads its messages again, whatever it was told to do before.
void SettlePlayer(const char* scenario) {
    WriteScenario(scenario, "");
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(FindWindowA("Winamp v1.x", nullptr), WM_USER, 0, 124, SMTO_NORMAL, 30000,
                        &ignored);
}

// The bound on waiting for the player: what it costs a player that answers at once
// (track_file against the same DLL sending without a bound), and the longest call
// against a player in a dialog and against a hung one.
int BenchWait(const char* dll, const char* unbounded_dll, const char* scenario,
              const std::string& one, int rounds) {
    HMODULE module = LoadLibraryA(dll);
    HMODULE reference = LoadLibraryA(unbounded_dll);
    if (module == nullptr || reference == nullptr || !CallLoadDll(module) ||
        !CallLoadDll(reference)) {
        std::fprintf(stderr, "bench: cannot load %s and %s\n", dll, unbounded_dll);
        return 1;
    }
    CommandFn bounded = Export(module, "zel_winamp_track_file");
    CommandFn unbounded = Export(reference, "zel_winamp_track_file");
    UsePlaylist(one, scenario, 0);
    std::vector<double> ours, theirs, ratio;
    for (int round = 0; round <= rounds; ++round) {  // round 0 warms the caches
        const auto [a, b] = TimeAlternately(round, bounded, unbounded);
        if (round == 0) continue;
        ours.push_back(a.seconds);
        theirs.push_back(b.seconds);
        ratio.push_back(a.seconds / b.seconds);
    }
    Row("bounded wait: track_file", Millis(Median(ours)), "unbounded " + Millis(Median(theirs)),
        Median(ratio), 1.05, "x unbounded");

    // A dialog the player holds open for 3 s from inside the command.
    CommandFn open_file = Export(module, "zel_winamp_open_file");
    double dialog = 0;
    for (int round = 0; round < 3; ++round) {
        WriteScenario(scenario, "dialog.40029=3000\n");
        dialog = std::max(dialog, TimeCall(open_file).seconds);
        SettlePlayer(scenario);
    }
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.2f s", dialog);
    Row("dialog player: open_file", seconds, "a 3 s dialog", dialog, 1.1, "s");

    // A player that reads no messages: every command export once.
    WriteScenario(scenario, "hang=1\n");
    Sleep(300);
    double hung = 0;
    std::string slowest;
    for (const std::string& name : zel::bench::CommandNames(module)) {
        if (name == "zel_winamp_start") continue;
        const double took = TimeCall(Export(module, name.c_str())).seconds;
        if (took > hung) {
            hung = took;
            slowest = name;
        }
    }
    SettlePlayer(scenario);
    std::snprintf(seconds, sizeof seconds, "%.2f s", hung);
    Row("hung player: longest call", seconds, slowest.substr(11), hung, 1.1, "s");
    FreeLibrary(reference);
    FreeLibrary(module);
    return 0;
}

// find over the 1,000,000 entries of dir's Winamp.m3u8, the directory the player names
// (it writes nothing on request 120 here), against the host reading the same file: the fastest of `rounds`
// calls of each, measured side by side.
int BenchFind(const char* dll, const char* scenario, const std::string& dir, int rounds) {
    HMODULE module = LoadLibraryA(dll);
    if (module == nullptr || !CallLoadDll(module)) {
        std::fprintf(stderr, "bench: cannot load %s\n", dll);
        return 1;
    }
    CommandFn find = Export(module, "zel_winamp_find");
    UsePlaylist(dir, scenario, 0);
    // The player names its playlist directory, as every version from 5.11 on does.
    WriteScenario(scenario, "text.338.0=" + dir + "\n");
    const std::string file = dir + "Winamp.m3u8";
    TimeCall(find, "yesterday");  // warm the caches
    TimeRead(file);
    const struct {
        const char* label;
        const char* words;
    } kSearches[] = {{"find: 2 words, 1M entries", "beatles yesterday"},
                     {"find: 1 word, 1M entries", "yesterday"}};
    for (const auto& search : kSearches) {
        double fastest = 1e9, fastestRead = 1e9;
        std::string answer;
        for (int round = 0; round < rounds; ++round) {
            double read = 0;
            Timed call;
            if (round % 2 == 0) {
                call = TimeCall(find, search.words);
                read = TimeRead(file);
            } else {
                read = TimeRead(file);
                call = TimeCall(find, search.words);
            }
            fastest = std::min(fastest, call.seconds);
            fastestRead = std::min(fastestRead, read);
            answer = call.answer;
        }
        std::fprintf(stderr, "bench: find %s answered \"%s\"\n", search.words, answer.c_str());
        Row(search.label, Millis(fastest), "ReadFile " + Millis(fastestRead), fastest / fastestRead,
            3.0, "x ReadFile");
    }
    // A word in every entry: the search stops at the 30th match.
    double every = 1e9;
    std::string answer;
    for (int round = 0; round < rounds; ++round) {
        const Timed call = TimeCall(find, "mp3");
        every = std::min(every, call.seconds);
        answer = call.answer;
    }
    std::fprintf(stderr, "bench: find mp3 (a word in every entry) took %s, answering \"%s\"\n",
                 Millis(every).c_str(), answer.c_str());
    FreeLibrary(module);
    return 0;
}

// One call as the client makes it: load, LoadDll, the command, unload.
double TimeClientCall(const char* dll, const char* name, const char* argument) {
    const double start = Now();
    HMODULE module = LoadLibraryA(dll);
    if (module == nullptr || !CallLoadDll(module)) {
        std::fprintf(stderr, "bench: cannot load %s\n", dll);
        std::exit(1);
    }
    int result = 0;
    CallCommand(Export(module, name), &result, argument);
    FreeLibrary(module);
    return Now() - start;
}

// insert_next against enqueue, the same address queued by each as the client calls them,
// alternately: what going through the playlist editor (after the current entry) costs
// over appending.
int BenchQueue(const char* dll, const char* scenario, int rounds) {
    WriteScenario(scenario, "entries=3\nstate=playing\nposition=1\n");
    const char* const address = "http://radio.example/stream";
    std::vector<double> ratio, inserts, appends;
    for (int round = 0; round <= rounds; ++round) {  // round 0 warms the caches
        double insert = 0, append = 0;
        if (round % 2 == 0) {
            insert = TimeClientCall(dll, "zel_winamp_insert_next", address);
            append = TimeClientCall(dll, "zel_winamp_enqueue", address);
        } else {
            append = TimeClientCall(dll, "zel_winamp_enqueue", address);
            insert = TimeClientCall(dll, "zel_winamp_insert_next", address);
        }
        if (round == 0) continue;
        inserts.push_back(insert);
        appends.push_back(append);
        ratio.push_back(insert / append);
    }
    Row("insert_next against enqueue", Micros(Median(inserts)), "enqueue " + Micros(Median(appends)),
        Median(ratio), 1.2, "x enqueue");
    SettlePlayer(scenario);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "queue") {
        return BenchQueue(argv[2], argv[3], std::atoi(argv[4]));
    }
    if (argc == 7 && std::string(argv[1]) == "wait") {
        return BenchWait(argv[2], argv[3], argv[4], argv[5], std::atoi(argv[6]));
    }
    if (argc >= 6 && std::string(argv[1]) == "tags") {
        return BenchTags(argv[2], argv[3], std::atoi(argv[4]), argc - 5, argv + 5);
    }
    if (argc == 6 && std::string(argv[1]) == "load") {
        return BenchLoad(argv[2], argv[3], std::atoi(argv[4]), std::atoi(argv[5]));
    }
    if (argc == 6 && std::string(argv[1]) == "find") {
        return BenchFind(argv[2], argv[3], argv[4], std::atoi(argv[5]));
    }
    if (argc == 8 && std::string(argv[1]) == "player") {
        return BenchPlayer(argv[2], argv[3], argv[4], argv[5], argv[6], std::atoi(argv[7]));
    }
    std::fprintf(stderr,
                 "usage: bench load <dll> <floor-dll> <rounds> <batch>\n"
                 "       bench player <dll> <scenario> <dir-big> <dir-one> <dir-huge> <rounds>\n"
                 "       bench tags <dll> <scenario> <rounds> label|queryA|dirA|queryB|dirB ...\n"
                 "       bench wait <dll> <unbounded-dll> <scenario> <dir-one> <rounds>\n"
                 "       bench find <dll> <scenario> <dir-find> <rounds>\n"
                 "       bench queue <dll> <scenario> <rounds>\n");
    return 2;
}
