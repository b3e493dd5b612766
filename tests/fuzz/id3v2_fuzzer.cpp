// The ID3v2 reader under libFuzzer. The input is a whole track file in memory. Every
// field must come out as valid UTF-8 within the field's capacity, before and after its
// genre is named; a tag read must agree with its size; and bytes past the size the tag
// declares must never change an answer (the reader must not look at them); trimmed, it
// must be answered as one line without blanks at its ends.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "../unit/utf8_check.h"
#include "one_line_check.h"
#include "tags/field_text.h"
#include "tags/genre_text.h"
#include "tags/id3v2.h"

namespace {

void Check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "check failed: %s\n", what);
    std::abort();
}


void CheckText(const zel::FieldText& text) {
    Check(text.length <= zel::kFieldTextCapacity, "more bytes than the field holds");
    Check(zel::testing::Utf8Characters(text.bytes, text.length) >= 0, "not valid UTF-8");
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
        zel::TrimFieldEnd(text);
        zel::testing::CheckAnswersAreOneLine([&](char* d) { zel::WriteUtf8Answer(d, text.bytes, text.length); }, true);

        zel::NormalizeGenre(text);
        CheckText(text);
    }
    return 0;
}
