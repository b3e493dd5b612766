// The ID3v1 block parser under libFuzzer. The input's last 128 bytes (zero-padded in
// front when shorter) are the block: every text field is trimmed, checked against the
// trimming rule and answered as one line, and the genre byte is named. The whole input
// is also written as the current track's file behind a simulated player, and
// ReadId3v1Block must return exactly its last 128 bytes when they start with the
// signature, and nothing left open.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/sim.h"
#include "player/player_link.h"
#include "tags/genres.h"
#include "tags/id3v1.h"
#include "one_line_check.h"

namespace {

constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Winamp";
// Upper-cased and cut at the last backslash, this makes the playlist one file name
// relative to the current directory.
constexpr char kUninstallString[] = "\"C:\\WINAMP\\uninstall.exe\"";
constexpr char kPlaylistName[] = "C:\\WINAMP\\winamp.m3u";

std::string g_trackPath;

void Check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "check failed: %s\n", what);
    std::abort();
}

void CheckField(const unsigned char (&block)[zel::kId3v1Size], zel::Id3v1Field field) {
    const auto trimmable = [](unsigned char byte) { return byte <= 32 || byte == 127; };
    const unsigned char* start = nullptr;
    const std::size_t length = zel::TrimmedField(block, field, &start);
    const unsigned char* begin = block + field.offset;
    const unsigned char* end = begin + field.width;
    if (length == 0) {
        for (const unsigned char* p = begin; p < end; ++p) Check(trimmable(*p), "a kept byte was dropped");
        return;
    }
    Check(start >= begin && start + length <= end, "the trimmed run leaves its field");
    Check(!trimmable(start[0]) && !trimmable(start[length - 1]), "a blank was left at an end");
    for (const unsigned char* p = begin; p < start; ++p) Check(trimmable(*p), "trimmed too far in front");
    for (const unsigned char* p = start + length; p < end; ++p) Check(trimmable(*p), "trimmed too far behind");
    // Not trimmed as an answer: it stops at an inner zero, which may follow a blank.
    zel::testing::CheckAnswersAreOneLine(
        [&](char* d) { zel::WriteAnsiAnswer(d, reinterpret_cast<const char*>(start), length); }, false);
}

void StartPlayer() {
    zel::sim::SetRegistryValue(kUninstallKey, "UninstallString", 1, kUninstallString);
    zel::sim::AddWindow(zel::kPlayerWindowClass, "", [](std::int32_t code, std::int32_t) {
        return code == zel::kRequestPlaylistPosition ? 0 : 1;
    });
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // A scratch folder for the playlist and the track file: the one run.sh gives, or a
    // fresh one.
    std::string dir;
    if (const char* given = std::getenv("ZEL_FUZZ_SCRATCH")) {
        dir = given;
    } else {
        char name[] = "/tmp/zel_fuzz_XXXXXX";
        if (mkdtemp(name) == nullptr) std::abort();
        dir = name;
    }
    if (chdir(dir.c_str()) != 0) std::abort();
    g_trackPath = dir + "/track.mp3";
    std::FILE* playlist = std::fopen(kPlaylistName, "wb");
    if (playlist == nullptr) std::abort();
    std::fprintf(playlist, "#EXTM3U\r\n%s\r\n", g_trackPath.c_str());
    std::fclose(playlist);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    unsigned char block[zel::kId3v1Size] = {};
    const std::size_t tail = size < zel::kId3v1Size ? size : zel::kId3v1Size;
    std::memcpy(block + (zel::kId3v1Size - tail), data + (size - tail), tail);

    for (zel::Id3v1Field field : {zel::kId3v1Title, zel::kId3v1Artist, zel::kId3v1Album,
                                  zel::kId3v1Year, zel::kId3v1Comment}) {
        CheckField(block, field);
    }
    const unsigned char genre = block[zel::kId3v1GenreOffset];
    const char* name = zel::GenreName(genre);
    Check((name != nullptr) == (genre < zel::kGenreCount), "a genre name for the wrong numbers");
    if (name != nullptr) {
        Check(name[0] != '\0', "an empty genre name");
        for (const char* c = name; *c != '\0'; ++c) Check(*c > 32, "a blank in a genre name");
    }
    Check(zel::HasId3v1Signature(block) == (std::memcmp(block, "TAG", 3) == 0), "the signature test");

    // The same bytes as a track file.
    std::FILE* track = std::fopen(g_trackPath.c_str(), "wb");
    if (track == nullptr) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, track) != size) std::abort();
    std::fclose(track);

    zel::sim::Reset();
    StartPlayer();
    unsigned char read[zel::kId3v1Size];
    const bool tagged = zel::ReadId3v1Block(read);
    const bool expected = size >= zel::kId3v1Size && std::memcmp(block, "TAG", 3) == 0;
    Check(tagged == expected, "ReadId3v1Block disagrees about the tag");
    if (tagged) Check(std::memcmp(read, block, sizeof block) == 0, "ReadId3v1Block read other bytes");
    Check(zel::sim::OpenFiles() == 0, "a file was left open");
    Check(zel::sim::HeapBlocks() == 0, "a memory block was left");
    return 0;
}
