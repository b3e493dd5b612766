#include "tags/tag_format.h"

#include "tags/read/buffered_reader.h"
#include "tags/read/byte_order.h"
#include "tags/ogg_tag.h"

namespace zel {
namespace {

// The first eight bytes tell Ogg ("OggS" at 0) and MP4 ("ftyp" at 4) apart.
constexpr std::size_t kHeadSize = 8;
constexpr std::size_t kFileTypeOffset = 4;
constexpr std::size_t kMarkerSize = 4;

}  // namespace

TagFormat DetectTagFormat(const TagSource& source, std::int64_t afterId3v2) {
    // One reader for every look: the window filled at the start serves them all when no
    // long ID3v2 tag stands in front.
    BufferedReader reader;
    StartReader(reader, source);
    unsigned char head[kHeadSize];
    const bool haveHead = ReadThrough(reader, 0, head, kHeadSize);
    unsigned char marker[kMarkerSize];
    if (ReadThrough(reader, afterId3v2, marker, kMarkerSize) && IsFourCc(marker, "fLaC")) return TagFormat::Flac;
    if (!haveHead) return TagFormat::Other;
    if (IsFourCc(head, "OggS")) {
        return DetectOggCodec(reader) != OggCodec::Other ? TagFormat::Ogg : TagFormat::Other;
    }
    return IsFourCc(head + kFileTypeOffset, "ftyp") ? TagFormat::Mp4 : TagFormat::Other;
}

}  // namespace zel
