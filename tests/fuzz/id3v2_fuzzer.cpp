// The ID3v2 reader under libFuzzer. The input is a whole track file in memory. Every
// field must come out as valid UTF-8 within the field's capacity, before and after its
// genre is named; a tag read must agree with its size; and bytes past the size the tag
// declares must never change an answer (the reader must not look at them).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tags/field_text.h"
#include "tags/genre_text.h"
#include "tags/id3v2.h"

namespace {

void Check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "check failed: %s\n", what);
    std::abort();
}

bool IsValidUtf8(const char* text, std::size_t size) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    std::size_t i = 0;
    while (i < size) {
        const unsigned char lead = bytes[i];
        std::size_t n;
        std::uint32_t c;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            n = 1, c = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            n = 2, c = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            n = 3, c = lead & 0x07;
        } else {
            return false;
        }
        for (std::size_t k = 1; k <= n; ++k) {
            if (i + k >= size || (bytes[i + k] & 0xC0) != 0x80) return false;
            c = (c << 6) | (bytes[i + k] & 0x3F);
        }
        const std::uint32_t minimum = n == 1 ? 0x80 : n == 2 ? 0x800 : 0x10000;
        if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
        i += n + 1;
    }
    return true;
}

void CheckText(const zel::FieldText& text) {
    Check(text.length <= zel::kFieldTextCapacity, "more bytes than the field holds");
    Check(IsValidUtf8(text.bytes, text.length), "not valid UTF-8");
    Check(text.length == 0 || static_cast<unsigned char>(text.bytes[0]) > 32,
          "a blank or control byte before the value");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const zel::TagSource whole = zel::MemoryTagSource(data, size);
    const std::int64_t tagSize = zel::Id3v2TagSize(whole);
    Check(tagSize == 0 || tagSize >= 10, "a tag smaller than its header");
    // The same file cut right after the tag's declared size.
    const std::size_t cut = tagSize > 0 && static_cast<std::uint64_t>(tagSize) < size
                                ? static_cast<std::size_t>(tagSize)
                                : size;
    const zel::TagSource declared = zel::MemoryTagSource(data, cut);

    for (int f = 0; f <= static_cast<int>(zel::TagField::Genre); ++f) {
        const auto field = static_cast<zel::TagField>(f);
        zel::FieldText text, again;
        const bool found = zel::ReadId3v2Field(whole, field, text);
        Check(!found || tagSize > 0, "a tag read where there is none");
        Check(found || text.length == 0, "a field answered without a tag");
        CheckText(text);

        const bool foundAgain = zel::ReadId3v2Field(declared, field, again);
        Check(found == foundAgain && text.length == again.length &&
                  std::memcmp(text.bytes, again.bytes, text.length) == 0,
              "bytes past the declared tag changed the answer");

        zel::NormalizeGenre(text);
        CheckText(text);
    }
    return 0;
}
