#include "tags/mp4_boxes.h"

#include <cstring>

#include "tags/read/byte_order.h"

namespace zel {
namespace {

constexpr std::size_t kHeaderSize = 8;
constexpr std::size_t kLargeHeaderSize = 16;
constexpr std::size_t kTypeOffset = 4;
constexpr std::uint32_t kSizeToParentEnd = 0;
constexpr std::uint32_t kSizeIs64Bit = 1;

}  // namespace

bool ReadMp4Box(BufferedReader& reader, std::int64_t offset, std::int64_t parentEnd, Mp4Box& box) {
    unsigned char header[kLargeHeaderSize];
    if (offset > parentEnd - static_cast<std::int64_t>(kHeaderSize) ||
        !ReadThrough(reader, offset, header, kHeaderSize)) {
        return false;
    }
    std::memcpy(box.type, header + kTypeOffset, sizeof box.type);
    const std::uint32_t size32 = ReadBe32(header);
    std::uint64_t size = size32;
    std::size_t headerSize = kHeaderSize;
    if (size32 == kSizeIs64Bit) {
        headerSize = kLargeHeaderSize;
        if (offset > parentEnd - static_cast<std::int64_t>(kLargeHeaderSize) ||
            !ReadThrough(reader, offset + static_cast<std::int64_t>(kHeaderSize), header + kHeaderSize,
                         kLargeHeaderSize - kHeaderSize)) {
            return false;
        }
        size = ReadBe64(header + kHeaderSize);
    } else if (size32 == kSizeToParentEnd) {
        size = static_cast<std::uint64_t>(parentEnd - offset);
    }
    if (size < headerSize || size > static_cast<std::uint64_t>(parentEnd - offset)) return false;
    box.body = offset + static_cast<std::int64_t>(headerSize);
    box.end = offset + static_cast<std::int64_t>(size);
    return true;
}

bool FindMp4Box(BufferedReader& reader, std::int64_t begin, std::int64_t end, const char (&type)[5],
                Mp4Box& found) {
    // Every box takes at least its header, so the walk ends within the parent.
    for (std::int64_t offset = begin; offset < end; offset = found.end) {
        if (!ReadMp4Box(reader, offset, end, found)) return false;
        if (IsFourCc(found.type, type)) return true;
    }
    return false;
}

}  // namespace zel
