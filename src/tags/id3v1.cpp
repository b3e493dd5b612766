#include "tags/id3v1.h"

#include <cstdint>

#include "platform/handles.h"
#include "track/current_track.h"

namespace zel {
namespace {

constexpr unsigned char kBlank = 32;

}  // namespace

bool HasId3v1Signature(const unsigned char (&block)[kId3v1Size]) {
    return block[0] == 'T' && block[1] == 'A' && block[2] == 'G';
}

std::size_t TrimmedField(const unsigned char (&block)[kId3v1Size], Id3v1Field field,
                         const unsigned char** start) {
    const unsigned char* begin = block + field.offset;
    const unsigned char* end = begin + field.width;
    while (begin < end && (*begin <= kBlank || *begin == 0x7F)) ++begin;
    while (end > begin && (end[-1] <= kBlank || end[-1] == 0x7F)) --end;
    *start = begin;
    return static_cast<std::size_t>(end - begin);
}

bool ReadId3v1Block(const TagSource& source, unsigned char (&block)[kId3v1Size]) {
    const auto size = static_cast<std::int64_t>(kId3v1Size);
    return source.size >= size && ReadAt(source, source.size - size, block, kId3v1Size) &&
           HasId3v1Signature(block);
}

bool ReadId3v1Block(unsigned char (&block)[kId3v1Size]) {
    std::int64_t size = 0;
    platform::ScopedFile file(OpenCurrentTrack(&size));
    return file && ReadId3v1Block(FileTagSource(file.get(), size), block);
}

}  // namespace zel
