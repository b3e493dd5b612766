// The tag readers on real files through the platform's file calls: every format with
// every field, and the bytes a reader actually reads, which stay few however large the
// parts it passes over (a picture of megabytes, media data of gigabytes).
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>

#include "platform/platform.h"
#include "tag_bytes.h"
#include "tag_test_support.h"
#include "tags/ape_tag.h"
#include "tags/flac_tag.h"
#include "tags/mp4_tag.h"
#include "tags/ogg_tag.h"
#include "tags/tag_format.h"

namespace {

using namespace zel::testing;
using zel::TagField;
using zel::TagFormat;
using Fields = std::array<std::string, 6>;

// What reading all six fields may take from one file: page headers of an Ogg comment
// packet of 3 MB, windows around the structures found, never the bulk.
constexpr std::uint64_t kReadBudget = 6 * 24 * 1024;

const std::vector<std::string> kComments = {"TITLE=Tïtle", "ARTIST=Артист", "ALBUM=アルバム",
                                            "DATE=1999-12-31", "COMMENT=Ça va 😀", "GENRE=Électro"};
const Fields kExpected = {"Tïtle", "Артист", "アルバム", "1999", "Ça va 😀", "Électro"};

std::string Mp4Items() {
    return Item("\xA9nam", "Tïtle") + Item("\xA9" "ART", "Артист") + Item("\xA9" "alb", "アルバム") +
           Item("\xA9" "day", "1999") + Item("\xA9" "cmt", "Ça va 😀") + Item("\xA9gen", "Électro");
}

std::string ApeItems() {
    return ApeItem("Title", "Tïtle") + ApeItem("Artist", "Артист") + ApeItem("Album", "アルバム") +
           ApeItem("Year", "1999") + ApeItem("Comment", "Ça va 😀") + ApeItem("Genre", "Électro");
}

// Reads every field of the file at path with the reader its format calls for (APE for
// Other); returns the bytes read from files meanwhile.
std::uint64_t ReadFile(const std::string& path, TagFormat expectedFormat, Fields& fields) {
    zel::platform::FileHandle file = zel::platform::OpenFileForReading(path.c_str(), true);
    EXPECT_NE(file, nullptr) << path;
    if (file == nullptr) return 0;
    std::int64_t size = 0;
    EXPECT_TRUE(zel::platform::GetFileSize64(file, &size));
    const zel::TagSource source = zel::FileTagSource(file, size);
    const std::uint64_t before = BytesReadSoFar();
    const TagFormat format = zel::DetectTagFormat(source, 0);
    EXPECT_EQ(format, expectedFormat) << path;
    for (std::size_t i = 0; i < 6; ++i) {
        zel::FieldText out;
        bool found = false;
        switch (format) {
            case TagFormat::Flac: found = zel::ReadFlacField(source, 0, kAllFields[i], out); break;
            case TagFormat::Ogg: found = zel::ReadOggField(source, kAllFields[i], out); break;
            case TagFormat::Mp4: found = zel::ReadMp4Field(source, kAllFields[i], out); break;
            case TagFormat::Other: found = zel::ReadApeField(source, kAllFields[i], out); break;
        }
        EXPECT_TRUE(found) << path;
        fields[i] = TextOf(out);
    }
    const std::uint64_t read = BytesReadSoFar() - before;
    zel::platform::CloseFile(file);
    return read;
}

TEST(TagFiles, EveryFormatThroughTheFileCalls) {
    ScratchDir dir;
    {
        // The byte count works here: reading a file whole shows in it.
        ASSERT_TRUE(WriteFile(dir / "probe", std::string(100000, 'p')));
        std::FILE* probe = std::fopen((dir / "probe").c_str(), "rb");
        ASSERT_NE(probe, nullptr);
        const std::uint64_t before = BytesReadSoFar();
        char buffer[4096];
        while (std::fread(buffer, 1, sizeof buffer, probe) > 0) {
        }
        std::fclose(probe);
        ASSERT_GE(BytesReadSoFar() - before, 100000u) << "no byte count from /proc/self/io";
    }
    std::vector<std::string> withPicture = {"METADATA_BLOCK_PICTURE=" + std::string(3 << 20, 'Q')};
    withPicture.insert(withPicture.end(), kComments.begin(), kComments.end());
    const std::string mp3Audio = "\xff\xfb\x90\x00" + std::string(2 << 20, '\x55');
    struct Case {
        const char* name;
        std::string bytes;
        TagFormat format;
    } cases[] = {
        {"picture.flac",
         Flac(FlacBlock(kFlacPicture, std::string(2 << 20, '\x89')) + FlacBlock(kFlacComment, VorbisBlock(kComments))),
         TagFormat::Flac},
        {"vorbis.ogg",
         OggStream(3, {VorbisIdentification(), "\x03vorbis" + VorbisBlock(withPicture) + "\x01", "setup"}),
         TagFormat::Ogg},
        {"opus.opus", OggStream(4, {OpusIdentification(), "OpusTags" + VorbisBlock(withPicture), "audio"}),
         TagFormat::Ogg},
        {"after-mdat.m4a", Mp4WithItems(Mp4Items(), Box("mdat", std::string(3 << 20, '\0'))), TagFormat::Mp4},
        {"ape.mp3", mp3Audio + ApeTag(ApeItems(), 6), TagFormat::Other},
        {"ape-id3v1.mp3", mp3Audio + ApeTag(ApeItems(), 6) + Id3v1("v1 title"), TagFormat::Other},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteFile(dir / c.name, c.bytes));
        Fields fields;
        const std::uint64_t read = ReadFile(dir / c.name, c.format, fields);
        EXPECT_EQ(fields, kExpected) << c.name;
        // Every file is megabytes; all six reads together take a small part of it.
        EXPECT_LT(read, kReadBudget) << c.name << ": the big parts must be passed over, not read";
    }
}

// Media data of gigabytes before the movie box, in a sparse file (a 64-bit box size),
// and one of a few hundred megabytes with a 32-bit size.
TEST(TagFiles, MovieBoxAfterGigabytesOfMediaData) {
    ScratchDir dir;
    const std::uint64_t sizes[] = {5ull << 30, 300ull << 20};
    for (std::uint64_t mediaSize : sizes) {
        const bool large = mediaSize > 0xFFFFFFFFull;
        const std::string head =
            FileType() + (large ? Be32(1) + "mdat" + Be64(mediaSize + 16) : Be32(mediaSize + 8) + "mdat");
        const std::string movie = Mp4WithItems(Mp4Items()).substr(FileType().size());
        const std::string path = dir / "big.m4a";
        const int fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        const off_t movieAt = static_cast<off_t>(head.size() + mediaSize);
        ASSERT_EQ(::pwrite(fd, head.data(), head.size(), 0), static_cast<ssize_t>(head.size()));
        ASSERT_EQ(::pwrite(fd, movie.data(), movie.size(), movieAt), static_cast<ssize_t>(movie.size()));
        ::close(fd);

        Fields fields;
        const std::uint64_t read = ReadFile(path, TagFormat::Mp4, fields);
        EXPECT_EQ(fields, kExpected) << mediaSize;
        EXPECT_LT(read, kReadBudget) << mediaSize;
    }
}

}  // namespace
