// The FLAC, Ogg, MP4 and APE tag readers and format detection under libFuzzer, on the
// input as a file in memory. Every field of every reader must come back as valid UTF-8
// that fits its FieldText, starts with no blank or control byte, holds no zero byte and,
// for a year, at most four characters; the six reads of one reader must agree on whether
// the tag is there. Trimmed, each must be answered as one line without blanks at its
// ends. The sanitizers catch any read outside the input.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "../unit/utf8_check.h"
#include "one_line_check.h"
#include "tags/ape_tag.h"
#include "tags/flac_tag.h"
#include "tags/mp4_tag.h"
#include "tags/ogg_tag.h"
#include "tags/tag_format.h"

namespace {

void Check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "check failed: %s\n", what);
    std::abort();
}

// Characters in the text, after checking it is well-formed UTF-8 without zero bytes.
std::size_t CheckUtf8(const zel::FieldText& text) {
    Check(text.length <= zel::kFieldTextCapacity, "more bytes than the capacity");
    for (std::size_t i = 0; i < text.length; ++i) Check(text.bytes[i] != 0, "a zero byte in a value");
    const std::ptrdiff_t characters = zel::testing::Utf8Characters(text.bytes, text.length);
    Check(characters >= 0, "not valid UTF-8");
    return static_cast<std::size_t>(characters);
}

using Reader = bool (*)(const zel::TagSource&, zel::TagField, zel::FieldText&);

std::int64_t g_flacStart = 0;
bool ReadFlacAtStart(const zel::TagSource& s, zel::TagField f, zel::FieldText& out) {
    return zel::ReadFlacField(s, g_flacStart, f, out);
}

void CheckReader(const zel::TagSource& source, Reader read) {
    constexpr zel::TagField kFields[] = {zel::TagField::Title, zel::TagField::Artist, zel::TagField::Album,
                                         zel::TagField::Year,  zel::TagField::Comment, zel::TagField::Genre};
    bool first = false;
    for (std::size_t i = 0; i < 6; ++i) {
        zel::FieldText out;
        const bool found = read(source, kFields[i], out);
        if (i == 0) first = found;
        Check(found == first, "fields disagree about the tag");
        if (!found) continue;  // nothing in out is promised then
        const std::size_t characters = CheckUtf8(out);
        if (out.length > 0) Check(static_cast<unsigned char>(out.bytes[0]) > 32, "a blank before the value");
        if (kFields[i] == zel::TagField::Year) Check(characters <= 4, "a year of more than four characters");
        zel::TrimFieldEnd(out);
        zel::testing::CheckAnswersAreOneLine([&](char* d) { zel::WriteUtf8Answer(d, out.bytes, out.length); }, true);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const zel::TagSource source = zel::MemoryTagSource(data, size);
    // FLAC at 0, and after a pretend ID3v2 tag whose length is the first byte.
    g_flacStart = size > 0 ? data[0] : 0;
    const zel::TagFormat format = zel::DetectTagFormat(source, g_flacStart);
    const bool flacMarker = static_cast<std::size_t>(g_flacStart) + 4 <= size && data[g_flacStart] == 'f' &&
                            data[g_flacStart + 1] == 'L' && data[g_flacStart + 2] == 'a' &&
                            data[g_flacStart + 3] == 'C';
    Check((format == zel::TagFormat::Flac) == flacMarker, "FLAC detected without its marker, or missed");
    if (format == zel::TagFormat::Mp4) Check(zel::IsMp4(source), "MP4 detected but not MP4");

    CheckReader(source, ReadFlacAtStart);
    g_flacStart = 0;
    CheckReader(source, ReadFlacAtStart);
    CheckReader(source, zel::ReadOggField);
    CheckReader(source, zel::ReadMp4Field);
    CheckReader(source, zel::ReadApeField);
    return 0;
}
