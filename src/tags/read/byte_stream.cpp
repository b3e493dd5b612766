#include "tags/read/byte_stream.h"

namespace zel {
namespace {

bool ReadRange(void* state, void* buffer, std::size_t count) {
    RangeStream& range = *static_cast<RangeStream*>(state);
    if (static_cast<std::uint64_t>(range.end - range.offset) < count ||
        !ReadThrough(*range.reader, range.offset, buffer, count)) {
        range.offset = range.end;
        return false;
    }
    range.offset += static_cast<std::int64_t>(count);
    return true;
}

bool SkipRange(void* state, std::uint64_t count) {
    RangeStream& range = *static_cast<RangeStream*>(state);
    if (static_cast<std::uint64_t>(range.end - range.offset) < count) {
        range.offset = range.end;
        return false;
    }
    range.offset += static_cast<std::int64_t>(count);
    return true;
}

}  // namespace

ByteStream StreamOf(RangeStream& range) {
    ByteStream stream;
    stream.state = &range;
    stream.read = ReadRange;
    stream.skip = SkipRange;
    return stream;
}

}  // namespace zel
