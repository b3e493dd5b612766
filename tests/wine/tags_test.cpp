// The current track's file and its ID3v1 tag through the real DLL, end to end: the player
// writes winamp.m3u into its install directory on request 120, the DLL reads the entry at
// the player's position and then the tag at the end of that file. The track files are
// made by run.sh (make_fixtures.py), tagged by mutagen.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness.h"

namespace wine_test {
namespace {

const char* const kTagQueries[] = {"zel_winamp_id3_title",  "zel_winamp_id3_artist",
                                   "zel_winamp_id3_album",  "zel_winamp_id3_year",
                                   "zel_winamp_id3_comment", "zel_winamp_id3_genre"};

const std::vector<std::string> kTrackFileMessages = playlist_file_lookup();
// A tag query that finds a file resolves the entry twice.
std::vector<std::string> two_lookups() {
    std::vector<std::string> messages = playlist_file_lookup();
    const std::vector<std::string> again = playlist_file_lookup();
    messages.insert(messages.end(), again.begin(), again.end());
    return messages;
}
const std::vector<std::string> kTagMessages = two_lookups();

std::string installed_playlist() { return std::string(kInstallDir) + "winamp.m3u"; }

// A scenario in which the player writes `playlist` (saved to a source file) as its
// winamp.m3u on every flush and reports `position` as the current entry.
std::string scenario_for(const std::string& playlist, int position) {
    const std::string source = std::string(kWorkDir) + "source.m3u";
    write_file(source, playlist);
    return "playlist_source=" + source + "\nrequest.125.0=" + std::to_string(position) + "\n";
}

std::string playlist_of(const std::string& entry) { return "#EXTM3U\r\n" + entry + "\r\n"; }

const std::string kExamplePlaylist =
    "#EXTM3U\r\n#EXTINF:201,Artist - A\r\nC:\\MP3\\a.mp3\r\n#EXTINF:187,Artist - B\r\n"
    "C:\\MP3\\b.mp3\r\n";

TEST(TrackFile, AnswersTheEntryAtThePlayersPosition) {
    const struct {
        int position;
        const char* answer;
    } kCases[] = {{1, "C:\\MP3\\b.mp3"}, {0, "C:\\MP3\\a.mp3"}, {2, "NADA"}, {-1, ""}, {-2, "NADA"}};
    for (const auto& c : kCases) {
        const PlayerCall result =
            call_with_player("zel_winamp_track_file", scenario_for(kExamplePlaylist, c.position));
        EXPECT_TRUE(result.call.ok()) << c.position << ": " << result.call.error;
        EXPECT_EQ(result.call.result, 3);
        EXPECT_EQ(result.call.answer, c.answer) << "position " << c.position;
        EXPECT_FALSE(result.call.untouched) << "position " << c.position;
        EXPECT_EQ(result.messages, playlist_file_lookup(c.position)) << "position " << c.position;
        EXPECT_EQ(read_file(installed_playlist()), kExamplePlaylist);
    }
}

TEST(TrackFile, WithoutAPlaylistFileTheBufferIsUntouched) {
    remove_file(installed_playlist());
    const PlayerCall result = call_with_player("zel_winamp_track_file", "request.125.0=0\n");
    EXPECT_TRUE(result.call.ok()) << result.call.error;
    EXPECT_EQ(result.call.result, 3);
    EXPECT_TRUE(result.call.untouched) << "wrote \"" << result.call.answer << "\"";
    EXPECT_EQ(result.messages, kTrackFileMessages);
}

TEST(TrackFile, AVeryLongLineIsCutTo899BytesAndNeverOverruns) {
    std::string line = "C:\\";
    for (int i = 0; line.size() < 100000; ++i) line += static_cast<char>('a' + i % 26);
    line.resize(100000);
    for (const std::string& playlist : {playlist_of(line), line + "\r\n", "#c\r\n" + line}) {
        const PlayerCall result =
            call_with_player("zel_winamp_track_file", scenario_for(playlist, 0));
        EXPECT_TRUE(result.call.ok()) << result.call.error;
        EXPECT_EQ(result.call.result, 3);
        EXPECT_EQ(result.call.answer, line.substr(0, 899));
    }
    // A tag query over such an entry finds no file and says so.
    const PlayerCall tag = call_with_player("zel_winamp_id3_title", scenario_for(playlist_of(line), 0));
    EXPECT_TRUE(tag.call.ok()) << tag.call.error;
    EXPECT_EQ(tag.call.answer, "n/a");
}

struct TaggedFile {
    std::string name;
    std::vector<std::string> fields;  // title, artist, album, year, comment
    int genre;
};

std::vector<TaggedFile> read_manifest() {
    std::vector<TaggedFile> files;
    const std::string content = read_file(std::string(kFixtureDir) + "tags.txt");
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find("\r\n", start);
        if (end == std::string::npos) end = content.size();
        const std::string line = content.substr(start, end - start);
        start = end + 2;
        std::vector<std::string> parts;
        size_t from = 0;
        for (;;) {
            const size_t bar = line.find('|', from);
            parts.push_back(line.substr(from, bar - from));
            if (bar == std::string::npos) break;
            from = bar + 1;
        }
        if (parts.size() != 7) continue;
        files.push_back({parts[0], {parts[1], parts[2], parts[3], parts[4], parts[5]},
                         std::atoi(parts[6].c_str())});
    }
    return files;
}

std::string genre_name(int genre) {
    switch (genre) {
        case 0: return "Blues";
        case 8: return "Jazz";
        case 13: return "Pop";
        case 17: return "Rock";
        case 147: return "SynthPop";
        default: return "?";
    }
}

// A query that finds a file resolves the entry twice; one that finds none stops after the
// first lookup.
const std::vector<std::string> kNoFileMessages = playlist_file_lookup();

// Runs the six tag queries over `entry` and checks each answer and message sequence.
void expect_tags(const std::string& entry, const std::vector<std::string>& answers,
                 const std::string& what, const std::vector<std::string>& messages = kTagMessages) {
    const std::string scenario = scenario_for(playlist_of(entry), 0);
    for (size_t i = 0; i < 6; ++i) {
        const PlayerCall result = call_with_player(kTagQueries[i], scenario);
        EXPECT_TRUE(result.call.ok()) << what << " " << kTagQueries[i] << ": " << result.call.error;
        EXPECT_EQ(result.call.result, 3);
        EXPECT_EQ(result.call.answer, answers[i]) << what << " " << kTagQueries[i];
        EXPECT_EQ(result.messages, messages) << what << " " << kTagQueries[i];
    }
}

std::vector<std::string> answers_for(const TaggedFile& file) {
    std::vector<std::string> answers = file.fields;
    answers.push_back(genre_name(file.genre));
    return answers;
}

TEST(TagQueries, AnswerWhatMutagenWrote) {
    const std::vector<TaggedFile> files = read_manifest();
    ASSERT_GE(files.size(), 6u) << "run.sh makes the track files; run the tests through it";
    for (const auto& file : files) {
        if (file.name == "held.mp3") continue;  // its own test below
        expect_tags(std::string(kFixtureDir) + file.name, answers_for(file), file.name);
    }
}

const char* const kBestTagQueries[] = {"zel_winamp_tag_title",  "zel_winamp_tag_artist",
                                       "zel_winamp_tag_album",  "zel_winamp_tag_year",
                                       "zel_winamp_tag_comment", "zel_winamp_tag_genre"};

// best.txt: name|title|artist|album|year|comment|genre|id3_title, in UTF-8.
std::vector<std::vector<std::string>> read_best_manifest() {
    std::vector<std::vector<std::string>> rows;
    for (const std::string& line : read_lines(std::string(kFixtureDir) + "best.txt")) {
        std::vector<std::string> parts;
        size_t from = 0;
        for (size_t bar; (bar = line.find('|', from)) != std::string::npos; from = bar + 1) {
            parts.push_back(line.substr(from, bar - from));
        }
        parts.push_back(line.substr(from));
        if (parts.size() == 8) rows.push_back(parts);
    }
    return rows;
}

// The files make_fixtures.py writes for the tag_* queries, each with what it proves. Each
// must have its row in best.txt: a file left out there would pass unseen.
const struct {
    const char* name;
    const char* what;
} kBestTagFiles[] = {
    {"best23.mp3", "ID3v2.3 in UTF-16; the album only in the ID3v1 tag"},
    {"best24.mp3", "ID3v2.4 in UTF-8, a 2 MB picture before the title"},
    {"best24latin.mp3", "ID3v2.4 in ISO-8859-1, genre by number"},
    {"year23.mp3", "ID3v2.3 whose year frame holds a full date"},
    {"year24.mp3", "ID3v2.4, a recording date, then a year frame of five digits"},
    {"flac.flac", "FLAC comments; COMMENT over DESCRIPTION, a full date"},
    {"id3flac.flac", "FLAC after an ID3v2 tag whose title it beats"},
    {"flacpicture.flac", "FLAC, a 2 MB picture block before the comments, genre (17)"},
    {"vorbis.ogg", "Ogg Vorbis, lower-case names, DESCRIPTION alone, genre (17)"},
    {"opus.opus", "Opus, the comment packet over several pages, a picture first"},
    {"small.m4a", "MP4, moov before mdat, genre as a gnre number"},
    {"bigmdat.m4a", "MP4, moov after 40 MB of mdat"},
    {"apeonly.mp3", "an MP3 with only an APEv2 tag, genre by number"},
    {"id3ape.mp3", "the album from APEv2 where ID3v2 lacks it, before ID3v1's"},
    {"lines.mp3", "line breaks, a tab, a two-line comment in ID3v2, a line feed in ID3v1"},
};

TEST(BestTagQueries, AnswerWhatMutagenWroteInEachFormatVersionAndEncoding) {
    const auto rows = read_best_manifest();
    ASSERT_EQ(rows.size(), sizeof kBestTagFiles / sizeof kBestTagFiles[0])
        << "run.sh makes the track files; run the tests through it";
    for (const auto& file : kBestTagFiles) {
        const std::vector<std::string>* row = nullptr;
        for (const auto& candidate : rows) {
            if (candidate[0] == file.name) row = &candidate;
        }
        if (row == nullptr) {
            ADD_FAILURE() << file.name << " has no row in best.txt";
            continue;
        }
        const std::string what = std::string(file.name) + " (" + file.what + ")";
        const std::string scenario = scenario_for(playlist_of(std::string(kFixtureDir) + file.name), 0);
        for (size_t i = 0; i < 6; ++i) {
            const PlayerCall result = call_with_player(kBestTagQueries[i], scenario);
            EXPECT_TRUE(result.call.ok()) << what << " " << kBestTagQueries[i] << ": " << result.call.error;
            EXPECT_EQ(result.call.result, 3);
            EXPECT_EQ(result.call.answer, (*row)[1 + i]) << what << " " << kBestTagQueries[i];
            EXPECT_EQ(result.messages, kTagMessages) << what << " " << kBestTagQueries[i];
        }
        // The id3_* queries still answer the ID3v1 tag alone.
        EXPECT_EQ(call_with_player("zel_winamp_id3_title", scenario).call.answer, (*row)[7]) << what;
    }
}

TEST(BestTagQueries, AgreeWithTheId3v1QueriesWhereBothTagsAgree) {
    for (const auto& file : read_manifest()) {
        if (file.name == "held.mp3") continue;
        const std::string scenario = scenario_for(playlist_of(std::string(kFixtureDir) + file.name), 0);
        const std::vector<std::string> answers = answers_for(file);
        // mutagen wrote an ID3v2 tag with the same fields, so both tags agree; the 5 GiB
        // file has only the ID3v1 tag, and so do the unnamed genres below.
        for (size_t i = 0; i < 6; ++i) {
            EXPECT_EQ(call_with_player(kBestTagQueries[i], scenario).call.answer, answers[i])
                << file.name << " " << kBestTagQueries[i];
        }
    }
    for (const char* name : {"genre148.mp3", "genre255.mp3"}) {
        const std::string scenario = scenario_for(playlist_of(std::string(kFixtureDir) + name), 0);
        EXPECT_EQ(call_with_player("zel_winamp_tag_genre", scenario).call.answer, "n/a") << name;
        EXPECT_EQ(call_with_player("zel_winamp_tag_title", scenario).call.answer, "Unnamed Genre");
    }
    const std::string missing = scenario_for(playlist_of(std::string(kFixtureDir) + "missing.mp3"), 0);
    const PlayerCall none = call_with_player("zel_winamp_tag_artist", missing);
    EXPECT_EQ(none.call.answer, "n/a");
    EXPECT_EQ(none.messages, kNoFileMessages);
}

TEST(TagQueries, AReadOnlyFileIsRead) {
    const std::string path = std::string(kFixtureDir) + "readonly.mp3";
    // run.sh made it immutable; a write-open must fail, or the case proves nothing.
    HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE) << "readonly.mp3 can be opened for writing";
    expect_tags(path, {"Locked Title", "Locked Artist", "Locked Album", "2001", "ro", "Pop"},
                "readonly.mp3");
}

TEST(TagQueries, AFileHeldOpenWithoutWriteSharingIsRead) {
    const std::string path = std::string(kFixtureDir) + "held.mp3";
    const std::string ready = std::string(kWorkDir) + "held.ready";
    remove_file(ready);
    PROCESS_INFORMATION holder = {};
    ASSERT_TRUE(start_process("\"" + bin_dir() + "file_holder.exe\" \"" + path + "\" \"" + ready +
                                  "\" 60",
                              &holder));
    ASSERT_TRUE(wait_for_file(ready, 10000)) << "the holder did not open the file";
    HANDLE writer = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE) << "the holder does not block writers";
    expect_tags(path, {"Held Title", "Held Artist", "Held Album", "2002", "busy", "Jazz"},
                "held.mp3");
    end_process(holder);
    remove_file(ready);
}

TEST(TagQueries, ATrackPathOf260CharactersIsReadWholeNeverByItsFirst259) {
    // make_fixtures.py put one.mp3 there, and full.mp3 as the decoy named by its first 259.
    const std::string track =
        std::string(kFixtureDir) + std::string(200, 'd') + "\\" + std::string(45, 'f') + ".mp3";
    ASSERT_EQ(track.size(), 260u);
    const std::string one[] = {"Song One", "Artist A", "Album X", "1999", "nice", "Rock"};
    const std::string scenario = scenario_for(playlist_of(track), 0);
    for (const char* const* queries : {kTagQueries, kBestTagQueries}) {
        for (size_t i = 0; i < 6; ++i) {
            EXPECT_EQ(call_with_player(queries[i], scenario).call.answer, one[i]) << queries[i];
        }
    }
    EXPECT_EQ(call_with_player("zel_winamp_track_file", scenario).call.answer, track);
}

TEST(TagQueries, GenreNumbersPastTheTableAnswerNa) {
    for (const char* name : {"genre148.mp3", "genre200.mp3", "genre255.mp3"}) {
        expect_tags(std::string(kFixtureDir) + name,
                    {"Unnamed Genre", "A", "B", "2000", "c", "n/a"}, name);
    }
}

TEST(TagQueries, NoFileAtTheEntryAnswersNaForAllSix) {
    const std::vector<std::string> na(6, "n/a");
    expect_tags(std::string(kFixtureDir) + "missing.mp3", na, "missing file", kNoFileMessages);
    expect_tags(std::string(kFixtureDir), na, "a directory", kNoFileMessages);
    expect_tags(std::string(kFixtureDir) + "zelfix-*.none", na, "a pattern matching nothing",
                kNoFileMessages);
    // Position past the end of the playlist: an empty entry.
    const std::string scenario = scenario_for(playlist_of(std::string(kFixtureDir) + "one.mp3"), 5);
    for (const char* query : kTagQueries) {
        EXPECT_EQ(call_with_player(query, scenario).call.answer, "n/a") << query;
    }
}

}  // namespace
}  // namespace wine_test

namespace wine_test {
namespace {

// Nothing stays open after a query: a file still held by the DLL (even after it is
// unloaded, the handle would live on in the client's process) could not be opened
// without sharing.
bool can_open_exclusively(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

TEST(TagQueries, LeaveNoFileOpen) {
    const std::string track = std::string(kWorkDir) + "closed.mp3";
    ASSERT_TRUE(CopyFileA((std::string(kFixtureDir) + "one.mp3").c_str(), track.c_str(), FALSE));
    const std::string scenario = scenario_for(playlist_of(track), 0);
    for (const char* query : {"zel_winamp_id3_artist", "zel_winamp_id3_genre", "zel_winamp_tag_title",
                              "zel_winamp_track_file"}) {
        const PlayerCall result = call_with_player(query, scenario);
        EXPECT_TRUE(result.call.ok()) << query << ": " << result.call.error;
        EXPECT_TRUE(can_open_exclusively(track)) << query << " left the track file open";
        EXPECT_TRUE(can_open_exclusively(installed_playlist())) << query << " left winamp.m3u open";
    }
    remove_file(track);
}

}  // namespace
}  // namespace wine_test
