#include "tags/read/stream_text.h"

namespace zel {
namespace {

constexpr std::size_t kPiece = 512;
constexpr std::size_t kMaxHead = 64;

// How many bytes a UTF-8 sequence starting with lead takes (1 for bytes that cannot
// start one: they stand alone as U+FFFD).
std::size_t SequenceLength(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 1;
}

// The bytes at the end of a piece that begin a UTF-8 sequence the piece does not hold
// whole. They are kept for the next piece so that a character cut by the piece boundary
// is decoded exactly as it would be in one piece.
std::size_t UnfinishedTail(const unsigned char* bytes, std::size_t size) {
    for (std::size_t back = 1; back <= 3 && back <= size; ++back) {
        const unsigned char b = bytes[size - back];
        if ((b & 0xC0) == 0x80) continue;  // a continuation byte: look further back
        return SequenceLength(b) > back ? back : 0;
    }
    return 0;
}

}  // namespace

bool AppendStreamText(ByteStream& stream, const unsigned char* head, std::size_t headSize,
                      std::uint64_t size, TextEncoding encoding, FieldText& out) {
    unsigned char piece[kPiece];
    if (headSize > kMaxHead) headSize = kMaxHead;
    for (std::size_t i = 0; i < headSize; ++i) piece[i] = head[i];
    std::size_t held = headSize;  // bytes read but not yet decoded
    std::uint64_t left = size;
    std::uint64_t budget = kMaxValueRead;
    while ((left > 0 || held > 0) && budget > 0 && !out.closed) {
        std::size_t want = kPiece - held;
        if (want > left) want = static_cast<std::size_t>(left);
        if (want > budget) want = static_cast<std::size_t>(budget);
        if (!stream.read(stream.state, piece + held, want)) return false;
        left -= want;
        budget -= want;
        held += want;
        if (encoding == TextEncoding::Latin1) {
            AppendLatin1(out, piece, held);
            held = 0;
            continue;
        }
        const std::size_t tail = (left > 0 && budget > 0) ? UnfinishedTail(piece, held) : 0;
        AppendUtf8(out, piece, held - tail);
        for (std::size_t i = 0; i < tail; ++i) piece[i] = piece[held - tail + i];
        held = tail;
    }
    return left == 0 || stream.skip(stream.state, left);
}

}  // namespace zel
