// Every format with every field, read from real files through the platform's file
// calls, and the bytes the readers take from them: a few windows, however large the
// parts passed over (a picture of megabytes, media data of gigabytes).
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

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
using zel::TagFormat;

// All six reads of one file, together: Ogg page headers over 3 MB of comments at most.
constexpr std::uint64_t kReadBudget = 6 * 24 * 1024;

const std::vector<std::string> kComments = {"TITLE=Tïtle", "ARTIST=Артист", "ALBUM=アルバム",
                                            "DATE=1999-12-31", "COMMENT=Ça va 😀", "GENRE=Électro"};

std::string Mp4Items() {
    return Item("\xA9nam", "Tïtle") + Item("\xA9" "ART", "Артист") + Item("\xA9" "alb", "アルバム") +
           Item("\xA9" "day", "1999") + Item("\xA9" "cmt", "Ça va 😀") + Item("\xA9gen", "Électro");
}

// Reads every field of the file at path with its format's reader (APE for Other) and
// expects kExpectedFields, read within the budget.
void ExpectFileFields(const std::string& path, TagFormat expectedFormat) {
    zel::platform::FileHandle file = zel::platform::OpenFileForReading(zel::sim::WidePath(path).c_str(), true);
    std::int64_t size = 0;
    ASSERT_TRUE(file != nullptr && zel::platform::GetFileSize64(file, &size)) << path;
    const zel::TagSource source = zel::FileTagSource(file, size);
    const std::uint64_t before = BytesReadSoFar();
    const TagFormat format = zel::DetectTagFormat(source, 0);
    EXPECT_EQ(format, expectedFormat) << path;
    Fields fields;
    bool found = false;
    switch (format) {
        case TagFormat::Flac:
            found = ReadFields(source, [](const zel::TagSource& s, zel::TagField f, zel::FieldText& out) {
                return zel::ReadFlacField(s, 0, f, out);
            }, fields);
            break;
        case TagFormat::Ogg: found = ReadFields(source, zel::ReadOggField, fields); break;
        case TagFormat::Mp4: found = ReadFields(source, zel::ReadMp4Field, fields); break;
        case TagFormat::Other: found = ReadFields(source, zel::ReadApeField, fields); break;
    }
    EXPECT_LT(BytesReadSoFar() - before, kReadBudget) << path << ": the big parts must be passed over";
    zel::platform::CloseFile(file);
    EXPECT_TRUE(found) << path;
    EXPECT_EQ(fields, kExpectedFields) << path;
}

TEST(TagFiles, EveryFormatWithEveryField) {
    ScratchDir dir;
    ASSERT_GT(BytesReadSoFar(), 0u) << "no byte count in /proc/self/io";
    std::vector<std::string> withPicture = {"METADATA_BLOCK_PICTURE=" + std::string(3 << 20, 'Q')};
    withPicture.insert(withPicture.end(), kComments.begin(), kComments.end());
    const std::string ape = ApeItem("Title", "Tïtle") + ApeItem("Artist", "Артист") + ApeItem("Album", "アルバム") +
                            ApeItem("Year", "1999") + ApeItem("Comment", "Ça va 😀") + ApeItem("Genre", "Électro");
    const std::string mp3 = "\xff\xfb\x90\x44" + std::string(2 << 20, '\x55');
    const struct {
        const char* name;
        std::string bytes;
        TagFormat format;
    } cases[] = {
        {"picture.flac", Flac(FlacBlock(kFlacPicture, std::string(2 << 20, '\x89')) +
                              FlacBlock(kFlacComment, VorbisBlock(kComments))), TagFormat::Flac},
        {"vorbis.ogg", OggStream(3, {VorbisIdentification(), "\x03vorbis" + VorbisBlock(withPicture) + "\x01", "setup"}),
         TagFormat::Ogg},
        {"opus.opus", OggStream(4, {OpusIdentification(), "OpusTags" + VorbisBlock(withPicture), "audio"}), TagFormat::Ogg},
        {"after-mdat.m4a", Mp4WithItems(Mp4Items(), Box("mdat", std::string(3 << 20, '\0'))), TagFormat::Mp4},
        {"ape.mp3", mp3 + ApeTag(ape, 6), TagFormat::Other},
        {"ape-id3v1.mp3", mp3 + ApeTag(ape, 6) + Id3v1("v1 title"), TagFormat::Other},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteFile(dir / c.name, c.bytes));
        ExpectFileFields(dir / c.name, c.format);
    }
}

// The movie box after media data of gigabytes (a 64-bit size) or of a few hundred
// megabytes (a 32-bit size), in sparse files.
TEST(TagFiles, MovieBoxAfterGigabytesOfMediaData) {
    ScratchDir dir;
    for (std::uint64_t media : {5ull << 30, 300ull << 20}) {
        const std::string head = FileType() + (media >> 32 ? Be32(1) + "mdat" + Be64(media + 16)
                                                           : Be32(std::uint32_t(media + 8)) + "mdat");
        const std::string movie = Mp4WithItems(Mp4Items()).substr(FileType().size());
        const int fd = ::open((dir / "big.m4a").c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        EXPECT_EQ(::pwrite(fd, head.data(), head.size(), 0), ssize_t(head.size()));
        EXPECT_EQ(::pwrite(fd, movie.data(), movie.size(), off_t(head.size() + media)), ssize_t(movie.size()));
        ::close(fd);
        ExpectFileFields(dir / "big.m4a", TagFormat::Mp4);
    }
}

}  // namespace
