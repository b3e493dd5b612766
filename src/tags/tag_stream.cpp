#include "tags/tag_stream.h"

namespace zel {
namespace {

constexpr unsigned char kSyncByte = 0xFF;
constexpr unsigned char kInsertedZero = 0x00;

// Takes count bytes from an unsynchronised stream into out (or nowhere, when out is
// null), dropping each zero that follows a 0xFF. Returns how many were taken.
std::int64_t TakeUnsynchronised(TagStream& stream, unsigned char* out, std::int64_t count) {
    std::int64_t taken = 0;
    while (taken < count) {
        if (stream.blockNext == stream.blockEnd) {
            const std::int64_t left = stream.end - stream.position;
            if (left <= 0) break;
            const std::size_t want = left < static_cast<std::int64_t>(kTagStreamBlock)
                                         ? static_cast<std::size_t>(left)
                                         : kTagStreamBlock;
            if (!ReadAt(*stream.source, stream.position, stream.block, want)) {
                stream.position = stream.end;
                break;
            }
            stream.position += static_cast<std::int64_t>(want);
            stream.blockNext = 0;
            stream.blockEnd = want;
        }
        const unsigned char byte = stream.block[stream.blockNext++];
        if (stream.afterFF && byte == kInsertedZero) {
            stream.afterFF = false;
            continue;
        }
        stream.afterFF = byte == kSyncByte;
        if (out != nullptr) out[taken] = byte;
        ++taken;
    }
    return taken;
}

}  // namespace

void OpenTagStream(TagStream& stream, const TagSource& source, std::int64_t begin,
                   std::int64_t end, bool unsynchronised) {
    stream.source = &source;
    stream.position = begin;
    stream.end = end < begin ? begin : end;
    stream.unsynchronised = unsynchronised;
    stream.afterFF = false;
    stream.blockNext = 0;
    stream.blockEnd = 0;
}

std::size_t ReadTagStream(TagStream& stream, unsigned char* out, std::size_t count) {
    if (stream.unsynchronised) {
        return static_cast<std::size_t>(
            TakeUnsynchronised(stream, out, static_cast<std::int64_t>(count)));
    }
    const std::int64_t left = stream.end - stream.position;
    const std::size_t want = static_cast<std::int64_t>(count) < left ? count
                                                                     : static_cast<std::size_t>(left);
    if (!ReadAt(*stream.source, stream.position, out, want)) {
        stream.position = stream.end;
        return 0;
    }
    stream.position += static_cast<std::int64_t>(want);
    return want;
}

bool SkipTagStream(TagStream& stream, std::int64_t count) {
    if (count < 0) return false;
    if (stream.unsynchronised) return TakeUnsynchronised(stream, nullptr, count) == count;
    if (count > stream.end - stream.position) {
        stream.position = stream.end;
        return false;
    }
    stream.position += count;
    return true;
}

std::int64_t TagStreamBytesLeft(const TagStream& stream) {
    return stream.end - stream.position +
           static_cast<std::int64_t>(stream.blockEnd - stream.blockNext);
}

}  // namespace zel
