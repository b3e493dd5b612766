// The built DLLs as the Windows loader and the chat client see them: a 32-bit i386 DLL
// (PE32) and a 64-bit x86-64 one (PE32+), each exporting exactly the names scripts call,
// plain and undecorated, importing system DLLs only (no MinGW runtime DLL that a user's
// machine lacks), with nothing that runs at load beyond its entry point.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#ifndef ZEL_WINDOWS_BUILD_DIR
#error "the native build passes the Windows build folder as ZEL_WINDOWS_BUILD_DIR"
#endif
#ifndef ZEL_WINDOWS_X64_BUILD_DIR
#error "the native build passes the x64 Windows build folder as ZEL_WINDOWS_X64_BUILD_DIR"
#endif

namespace {

const char* const kExpectedExports[] = {
    "LoadDll",
    // player commands
    "zel_winamp_inc_volume", "zel_winamp_dec_volume", "zel_winamp_pause", "zel_winamp_stop",
    "zel_winamp_stop_after", "zel_winamp_prev_track", "zel_winamp_next_track", "zel_winamp_play",
    "zel_winamp_next_5sec", "zel_winamp_prev_5sec", "zel_winamp_toggle_repeat",
    "zel_winamp_toggle_shuffle", "zel_winamp_open_file", "zel_winamp_open_url",
    "zel_winamp_fade_out", "zel_winamp_close", "zel_winamp_start_of_playlist",
    "zel_winamp_end_of_playlist", "zel_winamp_jump_to_time", "zel_winamp_jump_to_file",
    "zel_winamp_open_skinselector", "zel_winamp_reload_skin",
    "zel_winamp_10_tracks_back_in_playlist", "zel_winamp_time_display_to_elapsed",
    "zel_winamp_time_display_to_remaining", "zel_winamp_Toggle_title_Autoscrolling",
    "zel_winamp_Toggle_always_on_top", "zel_winamp_Toggle_doublesize_mode", "zel_winamp_Toggle_EQ",
    "zel_winamp_Toggle_playlist_editor", "zel_winamp_Toggle_main_window_visible",
    "zel_winamp_Toggle_minibrowser", "zel_winamp_Toggle_easymove", "zel_winamp_Play_audio_CD",
    // status queries
    "zel_winamp_track_length", "zel_winamp_track_play_pos", "zel_winamp_playlist_tracks",
    "zel_winamp_playlist_pos", "zel_winamp_track_samplerate", "zel_winamp_track_bitrate",
    "zel_winamp_track_channels", "zel_winamp_track_name",
    // player start, track file, tags
    "zel_winamp_start", "zel_winamp_track_file", "zel_winamp_id3_title", "zel_winamp_id3_artist",
    "zel_winamp_id3_album", "zel_winamp_id3_year", "zel_winamp_id3_comment",
    "zel_winamp_id3_genre",
    // the best tag of the track file
    "zel_winamp_tag_title", "zel_winamp_tag_artist", "zel_winamp_tag_album",
    "zel_winamp_tag_year", "zel_winamp_tag_comment", "zel_winamp_tag_genre",
    // states, controls with a value, any entry, queueing a file
    "zel_winamp_play_state", "zel_winamp_volume", "zel_winamp_set_volume", "zel_winamp_seek",
    "zel_winamp_jump", "zel_winamp_shuffle", "zel_winamp_repeat", "zel_winamp_set_shuffle",
    "zel_winamp_set_repeat", "zel_winamp_entry_file", "zel_winamp_entry_title",
    "zel_winamp_enqueue", "zel_winamp_play_file",
    // for request bots
    "zel_winamp_find", "zel_winamp_insert_next", "zel_winamp_remove", "zel_winamp_rating",
    "zel_winamp_set_rating", "zel_winamp_stop_after_state", "zel_winamp_set_stop_after",
    "zel_winamp_next_entry", "zel_winamp_player_version",
};
static_assert(sizeof kExpectedExports / sizeof kExpectedExports[0] == 79, "LoadDll and 78 commands");

const char* const kAllowedImports[] = {"kernel32.dll", "user32.dll", "advapi32.dll", "msvcrt.dll"};

// ---- A small PE reader, for both optional-header forms ----------------------------------------------------------------

struct Section {
    std::uint32_t virtualAddress, virtualSize, rawOffset, rawSize;
};

struct DataDirectory {
    std::uint32_t rva = 0, size = 0;
};

enum DirectoryIndex { kExportDirectory = 0, kImportDirectory = 1, kTlsDirectory = 9 };

struct PeImage {
    std::vector<unsigned char> bytes;
    std::uint16_t machine = 0;
    std::uint16_t characteristics = 0;
    std::uint16_t optionalMagic = 0;  // 0x10b PE32, 0x20b PE32+
    std::uint32_t entryPoint = 0;
    std::uint64_t imageBase = 0;  // 32 bits wide in PE32, 64 in PE32+
    std::vector<DataDirectory> directories;
    std::vector<Section> sections;
    std::string error;  // empty when the file parsed

    bool in(std::uint64_t offset, std::uint64_t size) const { return offset + size <= bytes.size(); }
    std::uint16_t u16(std::uint64_t offset) const {
        return in(offset, 2) ? static_cast<std::uint16_t>(bytes[offset] | bytes[offset + 1] << 8) : 0;
    }
    std::uint32_t u32(std::uint64_t offset) const {
        return in(offset, 4) ? static_cast<std::uint32_t>(u16(offset) | std::uint32_t{u16(offset + 2)} << 16)
                             : 0;
    }

    // The file offset of a relative virtual address, or -1 when no section holds it.
    std::int64_t offsetOf(std::uint32_t rva) const {
        for (const Section& s : sections) {
            const std::uint32_t span = std::max(s.virtualSize, s.rawSize);
            if (rva >= s.virtualAddress && rva - s.virtualAddress < span &&
                rva - s.virtualAddress < s.rawSize) {
                return std::int64_t{s.rawOffset} + (rva - s.virtualAddress);
            }
        }
        return -1;
    }

    // The zero-terminated text at an RVA; empty (and error set) when it runs off the file.
    std::string textAt(std::uint32_t rva) {
        const std::int64_t offset = offsetOf(rva);
        if (offset < 0) {
            error = "a name's address lies in no section";
            return {};
        }
        std::string text;
        for (auto i = static_cast<std::size_t>(offset); i < bytes.size(); ++i) {
            if (bytes[i] == 0) return text;
            text += static_cast<char>(bytes[i]);
        }
        error = "a name runs off the end of the file";
        return {};
    }
};

PeImage ReadPe(const std::string& path) {
    PeImage pe;
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        pe.error = "cannot open " + path + " (build the DLL first: make dll)";
        return pe;
    }
    pe.bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (pe.u16(0) != 0x5a4d) {
        pe.error = "no MZ header";
        return pe;
    }
    const std::uint32_t peOffset = pe.u32(0x3c);
    if (!pe.in(peOffset, 24) || pe.u32(peOffset) != 0x00004550) {
        pe.error = "no PE signature";
        return pe;
    }
    const std::uint32_t coff = peOffset + 4;
    pe.machine = pe.u16(coff);
    const std::uint16_t sectionCount = pe.u16(coff + 2);
    const std::uint16_t optionalSize = pe.u16(coff + 16);
    pe.characteristics = pe.u16(coff + 18);
    const std::uint32_t optional = coff + 20;
    if (!pe.in(optional, optionalSize) || optionalSize < 2) {
        pe.error = "optional header cut short";
        return pe;
    }
    pe.optionalMagic = pe.u16(optional);
    // PE32+ widens the image base and the four stack and heap sizes to 64 bits and drops
    // BaseOfData, so its data directories start 16 bytes later than PE32's.
    std::uint32_t directoriesAt = 0;
    if (pe.optionalMagic == 0x10b) {
        directoriesAt = 96;
        pe.imageBase = pe.u32(optional + 28);
    } else if (pe.optionalMagic == 0x20b) {
        directoriesAt = 112;
        pe.imageBase = pe.u32(optional + 24) | std::uint64_t{pe.u32(optional + 28)} << 32;
    } else {
        pe.error = "optional header magic is neither PE32 nor PE32+";
        return pe;
    }
    if (optionalSize < directoriesAt) {
        pe.error = "optional header cut short";
        return pe;
    }
    pe.entryPoint = pe.u32(optional + 16);
    const std::uint32_t directoryCount = pe.u32(optional + directoriesAt - 4);
    if (std::uint64_t{directoriesAt} + 8ull * directoryCount > optionalSize) {
        pe.error = "more data directories than the optional header holds";
        return pe;
    }
    for (std::uint32_t i = 0; i < directoryCount; ++i) {
        const std::uint32_t d = optional + directoriesAt + 8 * i;
        pe.directories.push_back({pe.u32(d), pe.u32(d + 4)});
    }
    const std::uint32_t table = optional + optionalSize;
    if (!pe.in(table, std::uint64_t{40} * sectionCount)) {
        pe.error = "section table cut short";
        return pe;
    }
    for (std::uint16_t i = 0; i < sectionCount; ++i) {
        const std::uint32_t s = table + 40u * i;
        pe.sections.push_back({pe.u32(s + 12), pe.u32(s + 8), pe.u32(s + 20), pe.u32(s + 16)});
    }
    return pe;
}

DataDirectory Directory(const PeImage& pe, DirectoryIndex index) {
    return static_cast<std::size_t>(index) < pe.directories.size() ? pe.directories[index]
                                                                   : DataDirectory{};
}

std::vector<std::string> ExportNames(PeImage& pe) {
    std::vector<std::string> names;
    const DataDirectory dir = Directory(pe, kExportDirectory);
    const std::int64_t at = pe.offsetOf(dir.rva);
    if (dir.rva == 0 || at < 0 || !pe.in(static_cast<std::uint64_t>(at), 40)) {
        pe.error = "no export directory";
        return names;
    }
    const auto base = static_cast<std::uint64_t>(at);
    const std::uint32_t nameCount = pe.u32(base + 24);
    const std::int64_t nameTable = pe.offsetOf(pe.u32(base + 32));
    if (nameCount > 0 && (nameTable < 0 || !pe.in(static_cast<std::uint64_t>(nameTable), 4ull * nameCount))) {
        pe.error = "export name table outside the file";
        return names;
    }
    for (std::uint32_t i = 0; i < nameCount && pe.error.empty(); ++i) {
        names.push_back(pe.textAt(pe.u32(static_cast<std::uint64_t>(nameTable) + 4ull * i)));
    }
    return names;
}

std::vector<std::string> ImportedDlls(PeImage& pe) {
    std::vector<std::string> dlls;
    const DataDirectory dir = Directory(pe, kImportDirectory);
    if (dir.rva == 0) return dlls;
    const std::int64_t at = pe.offsetOf(dir.rva);
    if (at < 0) {
        pe.error = "import directory lies in no section";
        return dlls;
    }
    // Descriptors of 20 bytes, ended by one of all zeros.
    for (auto d = static_cast<std::uint64_t>(at); pe.in(d, 20); d += 20) {
        const std::uint32_t nameRva = pe.u32(d + 12);
        if (nameRva == 0 && pe.u32(d) == 0 && pe.u32(d + 16) == 0) return dlls;
        dlls.push_back(pe.textAt(nameRva));
        if (!pe.error.empty()) return dlls;
    }
    pe.error = "import descriptors run off the file";
    return dlls;
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// One build of the DLL and what its headers must say.
struct Build {
    const char* name;
    const char* path;
    std::uint16_t machine;
    std::uint16_t optionalMagic;
};

// Names the build in failure messages instead of dumping the struct's bytes.
void PrintTo(const Build& build, std::ostream* out) { *out << build.name << " " << build.path; }

const Build kBuilds[] = {
    {"x86", ZEL_WINDOWS_BUILD_DIR "/zel.winamp.dll", 0x14c, 0x10b},        // i386, PE32
    {"x64", ZEL_WINDOWS_X64_BUILD_DIR "/zel.winamp.dll", 0x8664, 0x20b},  // AMD64, PE32+
};

class DllTables : public ::testing::TestWithParam<Build> {
protected:
    void SetUp() override {
        pe_ = ReadPe(GetParam().path);
        ASSERT_TRUE(pe_.error.empty()) << GetParam().path << ": " << pe_.error;
    }
    PeImage pe_;
};

INSTANTIATE_TEST_SUITE_P(BothBuilds, DllTables, ::testing::ValuesIn(kBuilds),
                         [](const ::testing::TestParamInfo<Build>& info) { return std::string(info.param.name); });

TEST_P(DllTables, IsADllForItsMachine) {
    EXPECT_EQ(pe_.machine, GetParam().machine) << std::hex << "machine 0x" << pe_.machine;
    EXPECT_EQ(pe_.optionalMagic, GetParam().optionalMagic)
        << std::hex << "optional header magic 0x" << pe_.optionalMagic;
    // The loader maps images only at 64 KiB boundaries; a base read from the wrong
    // offset or with the wrong width would hardly be one.
    EXPECT_NE(pe_.imageBase, 0u) << "no image base";
    EXPECT_EQ(pe_.imageBase % 0x10000, 0u) << std::hex << "image base 0x" << pe_.imageBase;
    EXPECT_NE(pe_.characteristics & 0x2000, 0) << "the DLL characteristic is not set";
    EXPECT_NE(pe_.characteristics & 0x0002, 0) << "not marked executable";
    EXPECT_NE(pe_.entryPoint, 0u) << "no entry point";
    EXPECT_GE(pe_.offsetOf(pe_.entryPoint), 0) << "the entry point lies in no section";
}

TEST_P(DllTables, ExportsExactlyTheCommandNamesUndecorated) {
    const std::vector<std::string> names = ExportNames(pe_);
    ASSERT_TRUE(pe_.error.empty()) << pe_.error;

    for (const std::string& name : names) {
        EXPECT_NE(name.rfind('_', 0), 0u) << "leading underscore: " << name;
        EXPECT_EQ(name.find('@'), std::string::npos) << "decorated: " << name;
    }
    const std::set<std::string> actual(names.begin(), names.end());
    EXPECT_EQ(actual.size(), names.size()) << "a name is exported twice";
    const std::set<std::string> expected(std::begin(kExpectedExports), std::end(kExpectedExports));
    for (const std::string& name : expected) {
        EXPECT_TRUE(actual.count(name)) << "missing export: " << name;
    }
    for (const std::string& name : actual) {
        EXPECT_TRUE(expected.count(name)) << "extra export: " << name;
    }
    // The loader binary-searches the name table: it must be sorted by byte value.
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end())) << "export names are not sorted";
}

TEST_P(DllTables, ImportsOnlySystemDlls) {
    const std::vector<std::string> dlls = ImportedDlls(pe_);
    ASSERT_TRUE(pe_.error.empty()) << pe_.error;
    EXPECT_FALSE(dlls.empty()) << "no import directory";
    const std::set<std::string> allowed(std::begin(kAllowedImports), std::end(kAllowedImports));
    for (const std::string& dll : dlls) {
        const std::string name = Lower(dll);
        EXPECT_TRUE(allowed.count(name)) << "imports " << dll;
        for (const char* runtime : {"libgcc", "libstdc++", "libwinpthread"}) {
            EXPECT_EQ(name.find(runtime), std::string::npos) << "needs the MinGW runtime: " << dll;
        }
    }
}

TEST_P(DllTables, RunsNothingAtLoadBeyondItsEntryPoint) {
    const DataDirectory tls = Directory(pe_, kTlsDirectory);
    EXPECT_EQ(tls.rva, 0u) << "the DLL has a TLS directory (callbacks run at load)";
    EXPECT_EQ(tls.size, 0u);
}

}  // namespace
