#include "tags/flac_tag.h"

#include "tags/read/buffered_reader.h"
#include "tags/read/byte_order.h"
#include "tags/read/byte_stream.h"
#include "tags/vorbis_comment.h"

namespace zel {
namespace {

constexpr std::size_t kMarkerSize = 4;  // "fLaC"
// A block header: one byte of last-block flag and type, then a 24-bit big-endian size.
constexpr std::size_t kBlockHeaderSize = 4;
constexpr unsigned char kLastBlockFlag = 0x80;
constexpr unsigned char kBlockTypeMask = 0x7F;
constexpr unsigned char kVorbisCommentBlock = 4;
// Never a block type: the first byte of an audio frame's sync code reads as this.
constexpr unsigned char kInvalidBlockType = 127;
constexpr std::size_t kBlockSizeOffset = 1;

}  // namespace

bool ReadFlacField(const TagSource& source, std::int64_t start, TagField field, FieldText& out) {
    out.length = 0;
    out.closed = false;
    BufferedReader reader;
    StartReader(reader, source);
    unsigned char marker[kMarkerSize];
    if (!ReadThrough(reader, start, marker, kMarkerSize) || !IsFourCc(marker, "fLaC")) return false;

    // Every block takes at least its header, so the walk ends within the file.
    std::int64_t offset = start + static_cast<std::int64_t>(kMarkerSize);
    for (;;) {
        unsigned char header[kBlockHeaderSize];
        if (!ReadThrough(reader, offset, header, kBlockHeaderSize)) return false;
        const unsigned char type = header[0] & kBlockTypeMask;
        const std::int64_t body = offset + static_cast<std::int64_t>(kBlockHeaderSize);
        const std::int64_t end = body + ReadBe24(header + kBlockSizeOffset);
        if (type == kInvalidBlockType || end > source.size) return false;
        if (type == kVorbisCommentBlock) {
            RangeStream range;
            range.reader = &reader;
            range.offset = body;
            range.end = end;
            ByteStream stream = StreamOf(range);
            return ReadVorbisComment(stream, field, out);
        }
        if ((header[0] & kLastBlockFlag) != 0) return false;
        offset = end;  // other blocks (a picture of megabytes) are passed over unread
    }
}

}  // namespace zel
