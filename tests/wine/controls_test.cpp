// The controls that take the script's argument or answer a state, through the real DLL:
// each call's answer and exactly what the simulated player received. An argument that
// does not fit must answer "ERR ..." and leave the player's log empty.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness.h"

namespace wine_test {
namespace {

using Log = std::vector<std::string>;
// The x64 build reads every client's text as UTF-8; the x86 one mIRC 6's in the code page.
const bool kAnsiClient = !kEveryClientGetsUtf8;
const std::string kQueueDir = std::string(kWorkDir) + "q\\";
const std::string kSong = kQueueDir + "song.mp3";
const std::string kLatin = kQueueDir + "\xc3\x9c" "ber.mp3";          // "Über": in code page 1252
const std::string kJapanese = kQueueDir + "\xe6\x97\xa5\xe6\x9c\xac.mp3";  // in no Western code page
const std::string kUrl = "http://radio.example/live?x=1";
// 272 characters: looked up in its extended-length form, queued whole.
const std::string kLongSong = kQueueDir + "long\\" + std::string(250, 'l') + ".mp3";
const std::string kNetworkSong = "\\\\10.255.255.1\\s\\a.mp3";  // never looked up
const std::string kList = kQueueDir + "two.m3u";
// A list of three, its first entry loaded in each play state: 3:45 tracks, 5 s in.
const std::string kStopped = "entries=3\n";
const std::string kPlaying = "entries=3\nstate=playing\nplay_ms=5000\n";
const std::string kPaused = "entries=3\nstate=paused\nplay_ms=5000\n";
const Log kFind = {"REQ 338 0", "REQ 337 0", "REQ 120 0"};
const std::string k30 = "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25 26 27 28 29 30";
const std::string kSecond = "entries=3\nstate=playing\nposition=1\n";

// The player's log line for a queued path: the kind, the UTF-16 bytes with their zero.
std::string Copy(const std::string& utf8) {
    return "COPY 1100 " + std::to_string((widen(utf8).size() + 1) * 2) + " " + utf8;
}

struct Case {
    const char* name;  // after "zel_winamp_"
    std::string argument;
    std::string scenario;
    std::string answer;
    Log log;
    uint32_t version = kClientVersion7;
};

TEST(Controls, AnswerAndSendExactlyWhatTheArgumentAsksFor) {
    make_dirs(kQueueDir);
    for (const std::string& file : {kSong, kLatin, kJapanese}) ASSERT_TRUE(write_file_named(file, "x"));
    ASSERT_EQ(kLongSong.size(), 272u);
    make_dirs(kQueueDir + "long");
    ASSERT_TRUE(write_file_named("\\\\?\\" + kLongSong, "x"));
    ASSERT_TRUE(write_file_named(kList, "#EXTM3U\r\n" + kSong + "\r\n" + kLatin + "\r\n"));
    const std::string kVolumeErr = "ERR volume must be a whole number from 0 to 100, or +N or -N";
    const std::string kEntryErr = "ERR entry must be a whole number from 1";
    const std::string kSchemeErr = "ERR give a full path or an http(s) address";
    const std::string kNoFile = "ERR no such file";
    const Case kCases[] = {
        {"play_state", "", "request.104.0=1", "playing", {"REQ 104 0"}},
        {"play_state", "", "request.104.0=3", "paused", {"REQ 104 0"}},
        {"volume", "", "request.122.-666=128", "50", {"REQ 122 -666"}},
        {"set_volume", " 50 ", "request.122.-666=128", "50", {"REQ 122 128", "REQ 122 -666"}},
        {"set_volume", "+10", "request.122.-666=128", "50",
         {"REQ 122 -666", "REQ 122 153", "REQ 122 -666"}},
        {"set_volume", "-2147483647", "request.122.-666=255", "100",
         {"REQ 122 -666", "REQ 122 0", "REQ 122 -666"}},
        {"set_volume", "101", "", kVolumeErr, {}},
        {"set_volume", std::string(500, '9'), "", kVolumeErr, {}},
        // A 3:45 track, 5 seconds in; a stream cannot seek; the player seeks past the end
        // too, so the end is checked first.
        {"seek", "1:35", kPlaying, "00:01:35", {"REQ 104 0", "REQ 105 1", "REQ 106 95000"}},
        {"seek", "+0:10", kPlaying, "00:00:15", {"REQ 104 0", "REQ 105 1", "REQ 105 0", "REQ 106 15000"}},
        {"seek", "-60", kPaused, "00:00:00", {"REQ 104 0", "REQ 105 1", "REQ 105 0", "REQ 106 0"}},
        {"seek", "95", kStopped, "ERR not playing", {"REQ 104 0"}},
        {"seek", "95", kPlaying + "track_seconds=-1", "ERR this track cannot seek",
         {"REQ 104 0", "REQ 105 1", "REQ 106 95000"}},
        {"seek", "3:45", kPlaying, "ERR past the end of the track", {"REQ 104 0", "REQ 105 1"}},
        {"seek", "+3:40", kPlaying, "ERR past the end of the track", {"REQ 104 0", "REQ 105 1", "REQ 105 0"}},
        {"seek", "1:75", "", "ERR give a time as seconds, m:ss or h:mm:ss, or +/- one", {}},
        // Entry 2 plays from every state: a paused player is stopped first, or it would
        // resume the old track.
        {"jump", "2", kStopped, "2", {"REQ 124 0", "REQ 121 1", "REQ 104 0", "CMD 40045", "STATE playing 1"}},
        {"jump", "2", kPlaying, "2", {"REQ 124 0", "REQ 121 1", "REQ 104 0", "CMD 40045", "STATE playing 1"}},
        {"jump", "2", kPaused, "2",
         {"REQ 124 0", "REQ 121 1", "REQ 104 0", "CMD 40047", "STATE stopped 0", "CMD 40045", "STATE playing 1"}},
        {"jump", "13", "request.124.0=12", "ERR past the end of the playlist", {"REQ 124 0"}},
        {"jump", "-3", "", kEntryErr, {}},
        {"shuffle", "", "request.250.0=1", "on", {"REQ 250 0"}},
        {"repeat", "", "request.251.0=0", "off", {"REQ 251 0"}},
        {"set_shuffle", "ON", "request.250.0=1", "on", {"REQ 252 1", "REQ 250 0"}},
        {"set_repeat", "0", "request.251.0=0", "off", {"REQ 253 0", "REQ 251 0"}},
        {"set_repeat", "yes", "", "ERR give on or off", {}},
        {"entry_file", "3", "text.214.2=" + kJapanese, kJapanese, {"REQ 214 2"}},
        {"entry_file", "", "request.125.0=99999\ntext.214.99999=" + kSong, kSong,
         {"REQ 125 0", "REQ 214 99999"}},
        {"entry_file", "0", "", kEntryErr + ", or nothing for the current one", {}},
        {"entry_title", "", "request.125.0=0\nrequest.213.0=1\ntext.212.0=Sigur R\xc3\xb3s - Glos\xc3\xb3li",
         "Sigur R\xc3\xb3s - Glos\xc3\xb3li", {"REQ 125 0", "REQ 213 0", "REQ 212 0"}},
        {"entry_title", "9", "", "n/a", {"REQ 213 8", "REQ 212 8"}},
        {"entry_title", "2", "text.213.1=Beyonc\xc3\xa9", kAnsiClient ? "Beyonc\xe9" : "Beyonc\xc3\xa9",
         {"REQ 213 1"}, kClientVersion6},
        {"entry_title", "5", "text.213.4=Artist\tTitle\x1b[31mRed", "Artist Title [31mRed", {"REQ 213 4"}},
        {"enqueue", "  " + kSong + "\t", "request.124.0=7", "7", {Copy(kSong), "REQ 124 0"}},
        {"enqueue", kUrl, "request.124.0=9", "9", {Copy(kUrl), "REQ 124 0"}},
        {"play_file", kJapanese, kPaused, "4",
         {"REQ 124 0", Copy(kJapanese), "REQ 124 0", "REQ 121 3", "REQ 104 0", "CMD 40047",
          "STATE stopped 0", "CMD 40045", "STATE playing 3"}},
        // A playlist file is queued as its entries: the first of them plays.
        {"play_file", kList, kStopped, "4",
         {"REQ 124 0", Copy(kList), "REQ 124 0", "REQ 121 3", "REQ 104 0", "CMD 40045", "STATE playing 3"}},
        {"enqueue", kQueueDir + "\xdc" "ber.mp3", "request.124.0=7",
         kAnsiClient ? "7" : "ERR the path is not valid text",
         kAnsiClient ? Log{Copy(kLatin), "REQ 124 0"} : Log{}, kClientVersion6},
        {"enqueue", "song.mp3", "", "ERR give a full path", {}},
        {"enqueue", kQueueDir + "missing.mp3", "", "ERR no such file", {}},
        {"enqueue", kQueueDir, "", "ERR no such file", {}},
        {"enqueue", kQueueDir + "*.mp3", "", "ERR no such file", {}},
        {"enqueue", kSong + "\xff", "", "ERR the path is not valid text", {}},
        {"enqueue", "C:\\" + std::string(900, 'a'), "", "ERR no such file", {}},  // no zero
        {"play_file", kSong, "request.124.0=0", "ERR the player did not add it",
         {"REQ 124 0", Copy(kSong), "REQ 124 0"}},
        {"enqueue", "https://radio.example/", "request.124.0=3", "3", {Copy("https://radio.example/"), "REQ 124 0"}},
        {"enqueue", "HTTP://RADIO.example", "request.124.0=3", "3", {Copy("HTTP://RADIO.example"), "REQ 124 0"}},
        {"enqueue", kLongSong, "request.124.0=4", "4", {Copy(kLongSong), "REQ 124 0"}},
        {"enqueue", kNetworkSong, "request.124.0=5", "5", {Copy(kNetworkSong), "REQ 124 0"}},
        {"enqueue", kLongSong.substr(0, 271) + "x", "", kNoFile, {}},
        {"enqueue", "file:///C:/no/such.mp3", "", kSchemeErr, {}}, {"enqueue", "ab://x", "", kSchemeErr, {}},
        {"enqueue", "file://attacker.example/share/x.mp3", "", kSchemeErr, {}},
        {"enqueue", "smb://10.0.0.1/share/x.mp3", "", kSchemeErr, {}}, {"play_file", "javascript://x", "", kSchemeErr, {}},
        {"enqueue", "C:\\NUL", "", kNoFile, {}}, {"enqueue", kQueueDir + "CON", "", kNoFile, {}},
        {"enqueue", kQueueDir + "COM1.mp3", "", kNoFile, {}}, {"enqueue", kQueueDir + "nul.mp3", "", kNoFile, {}},
        {"enqueue", kQueueDir + "AUX", "", kNoFile, {}}, {"enqueue", kQueueDir + "LPT1.txt", "", kNoFile, {}},
        {"enqueue", kQueueDir + "CONIN$", "", kNoFile, {}}, {"play_file", kQueueDir + "prn .mp3", "", kNoFile, {}},
        {"enqueue", "\\\\.\\COM1", "", kNoFile, {}}, {"enqueue", "\\\\localhost\\pipe\\x", "", kNoFile, {}},
        {"enqueue", "\\\\?\\GLOBALROOT\\Device\\Null", "", kNoFile, {}}, {"enqueue", kSong + ":x", "", kNoFile, {}},
        // For request bots: after the current entry (the second of three), so it plays next.
        {"insert_next", "1", kSecond, "3",
         {"REQ 124 0", "REQ 214 0", "REQ 125 0", "PE INSERT 2 C:\\zeltest\\list\\1.mp3"}},
        {"insert_next", kJapanese, kSecond, "3",
         {"REQ 125 0", "PE INSERT 2 " + kJapanese}},
        {"insert_next", "HTTPS://radio.example/x", "", "1",
         {"REQ 125 0", "REQ 124 0", "PE INSERT 0 HTTPS://radio.example/x"}},
        {"insert_next", "4", kSecond, "ERR past the end of the playlist", {"REQ 124 0"}},
        {"insert_next", "1.5", kSecond, kEntryErr, {}},
        {"insert_next", "0", kSecond, kEntryErr, {}},
        {"insert_next", "C:\\" + std::string(257, 'a'), kSecond, "ERR the path is too long for the playlist editor", {}},
        {"insert_next", "song.mp3", kSecond, "ERR give a full path", {}},
        {"insert_next", "smb://10.0.0.1/s/x.mp3", kSecond, kSchemeErr, {}}, {"insert_next", kQueueDir + "nul", kSecond, kNoFile, {}},
        {"remove", "2", kSecond, "2", {"REQ 124 0", "PE DELETE 1", "REQ 124 0"}},
        {"remove", "4", kSecond, "ERR past the end of the playlist", {"REQ 124 0"}},
        {"remove", "-1", kSecond, kEntryErr, {}},
        {"rating", "", kSecond + "rating=4", "4", {"REQ 0 0", "REQ 640 0"}},
        {"rating", "", kSecond + "version=0x5003", "n/a", {"REQ 0 0"}},
        {"set_rating", "5", kSecond, "5", {"REQ 0 0", "REQ 639 5", "REQ 640 0"}},
        {"set_rating", "6", kSecond, "ERR rating must be a whole number from 0 to 5", {}},
        {"stop_after_state", "", kSecond + "stop_after=1", "on", {"REQ 0 0", "REQ 658 0"}},
        {"stop_after_state", "", kSecond + "version=0x5057", "n/a", {"REQ 0 0"}},
        {"set_stop_after", "on", kPlaying, "on",
         {"REQ 0 0", "REQ 104 0", "REQ 658 0", "CMD 40157", "REQ 658 0"}},
        {"set_stop_after", "off", kPlaying, "off", {"REQ 0 0", "REQ 104 0", "REQ 658 0", "REQ 658 0"}},
        {"set_stop_after", "on", kStopped, "ERR not playing", {"REQ 0 0", "REQ 104 0"}},
        {"set_stop_after", "maybe", kPlaying, "ERR give on or off", {}},
        {"next_entry", "", kSecond, "3", {"REQ 0 0", "REQ 136 0"}},
        {"next_entry", "", kSecond + "shuffle=1\nrequest.136.0=-1", "n/a", {"REQ 0 0", "REQ 136 0"}},
        {"next_entry", "", kSecond + "version=0x5060", "n/a", {"REQ 0 0"}},
        // The playlist is found (the player names no directory: its install directory),
        // written, and searched in its UTF-8 file; 30 matches at most.
        {"find", "\xd0\xba\xd0\xb8\xd0\xbd\xd0\xbe group",
         "entries=2\nentry=C:\\m\\b.mp3|Group \xd0\x9a\xd0\x98\xd0\x9d\xd0\x9e", "1", kFind},
        {"find", "title", "entries=40", k30, kFind},
        {"find", "2.MP3 list", "entries=3", "2", kFind},
        {"find", "title nowhere", "entries=3", "none", kFind},
        {"find", " \t ", "entries=3", "ERR give words to look for", {}},
        {"player_version", "", "", "5.9.2 Build 10042", {"REQ 1 0"}},
        {"player_version", "", "version_text=\nversion=0x5066", "5.66", {"REQ 1 0", "REQ 0 0"}},
        {"player_version", "", "version_text=\nversion=0x2080", "2.80", {"REQ 1 0", "REQ 0 0"}},
        {"player_version", "", "version_text=\nversion=0x5666", "5.666", {"REQ 1 0", "REQ 0 0"}},
    };
    for (const auto& c : kCases) {
        const std::string what = std::string(c.name) + "(" + c.argument.substr(0, 40) + ")";
        const PlayerCall result = call_with_player(std::string("zel_winamp_") + c.name,
                                                   c.scenario + "\n", c.argument, c.version);
        EXPECT_TRUE(result.call.ok()) << what << ": " << result.call.error;
        EXPECT_EQ(result.call.result, 3) << what;
        EXPECT_EQ(result.call.answer, c.answer) << what;
        EXPECT_EQ(result.messages, c.log) << what;
    }
}

TEST(Controls, WithoutAPlayerCommandsAnswerAnErrorAndQueriesTheirNoPlayerAnswer) {
    stop_shared_player();
    remove_file(std::string(kInstallDir) + "winamp.m3u");
    remove_file(std::string(kInstallDir) + "Winamp.m3u8");
    const char* const kNotRunning = "ERR player not running";
    const char* const kCases[][3] = {
        {"play_state", "", "not running"}, {"volume", "", "0"}, {"shuffle", "", "off"},
        {"repeat", "", "off"}, {"entry_title", "1", "n/a"}, {"entry_file", "1", "NADA"},
        {"set_volume", "50", kNotRunning}, {"seek", "1:00", kNotRunning}, {"jump", "1", kNotRunning},
        {"set_shuffle", "on", kNotRunning}, {"set_repeat", "off", kNotRunning},
        {"enqueue", kUrl.c_str(), kNotRunning}, {"play_file", kUrl.c_str(), kNotRunning},
        {"enqueue", kNetworkSong.c_str(), kNotRunning},
        {"insert_next", "1", kNotRunning}, {"insert_next", kUrl.c_str(), kNotRunning},
        {"remove", "1", kNotRunning}, {"set_rating", "3", kNotRunning},
        {"set_stop_after", "on", kNotRunning}, {"rating", "", "n/a"}, {"stop_after_state", "", "n/a"},
        {"next_entry", "", "n/a"}, {"player_version", "", "n/a"}, {"find", "x", kNotRunning},
    };
    for (const auto& c : kCases) {
        const ClientCall result = call(std::string("zel_winamp_") + c[0], c[1]);
        EXPECT_TRUE(result.ok()) << c[0] << ": " << result.error;
        EXPECT_EQ(result.answer, c[2]) << c[0];
    }
}

}  // namespace
}  // namespace wine_test
