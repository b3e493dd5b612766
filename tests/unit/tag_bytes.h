// Tagged files built byte by byte for the tag reader tests. Sizes are computed from what
// is really inside; tests that want false ones patch them in.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tags/field_text.h"
#include "tags/read/tag_source.h"

namespace zel::testing {

inline std::string Le32(std::uint32_t v) { return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }
inline std::string Be16(std::uint32_t v) { return {char(v >> 8), char(v)}; }
inline std::string Be32(std::uint32_t v) { return Be16(v >> 16) + Be16(v); }
inline std::string Be64(std::uint64_t v) { return Be32(std::uint32_t(v >> 32)) + Be32(std::uint32_t(v)); }

// A comment block; count < 0 means the real number of comments.
inline std::string VorbisBlock(const std::vector<std::string>& comments, std::int64_t count = -1) {
    std::string block = Le32(8) + "zel test" + Le32(std::uint32_t(count < 0 ? comments.size() : count));
    for (const std::string& c : comments) block += Le32(std::uint32_t(c.size())) + c;
    return block;
}

constexpr unsigned char kFlacPadding = 1, kFlacComment = 4, kFlacPicture = 6;
inline std::string FlacBlock(unsigned char type, const std::string& body, bool last = false) {
    return std::string(1, char(type | (last ? 0x80 : 0))) + Be32(std::uint32_t(body.size())).substr(1) + body;
}
// "fLaC", a stream-info block, the given blocks, the start of an audio frame.
inline std::string Flac(const std::string& blocks) {
    return "fLaC" + FlacBlock(0, std::string(34, '\x11')) + blocks + "\xff\xf8\x69\x08";
}

constexpr unsigned char kOggContinued = 0x01, kOggFirst = 0x02;
inline std::string OggPage(std::uint32_t serial, std::uint32_t sequence, unsigned char type,
                           const std::vector<unsigned char>& lacing, const std::string& body) {
    std::string page = "OggS" + std::string(1, '\0') + char(type) + std::string(8, '\0') + Le32(serial) +
                       Le32(sequence) + Le32(0) + char(lacing.size());
    for (unsigned char l : lacing) page += char(l);
    return page + body;
}

// One stream's packets in pages: the first packet alone on the first page, the others
// laced one after another onto pages of at most maxSegments segments.
inline std::string OggStream(std::uint32_t serial, const std::vector<std::string>& packets,
                             std::size_t maxSegments = 255) {
    std::string file, body;
    std::vector<unsigned char> lacing;
    std::uint32_t sequence = 0;
    bool continued = false, pageContinues = false;
    auto flush = [&] {
        file += OggPage(serial, sequence, (sequence == 0 ? kOggFirst : 0) | (pageContinues ? kOggContinued : 0),
                        lacing, body);
        ++sequence, lacing.clear(), body.clear(), pageContinues = continued;
    };
    for (std::size_t p = 0; p < packets.size(); ++p) {
        for (std::size_t at = 0, take = 255; take == 255; at += take) {
            if (lacing.size() == maxSegments) flush();
            take = std::min<std::size_t>(255, packets[p].size() - at);
            lacing.push_back((unsigned char)take);
            body += packets[p].substr(at, take);
            continued = take == 255;
        }
        if (p == 0 || p + 1 == packets.size()) flush();
    }
    return file;
}
inline std::string VorbisIdentification() { return "\x01vorbis" + std::string(23, '\x02'); }
inline std::string OpusIdentification() { return "OpusHead" + std::string(11, '\x01'); }

inline std::string Box(const std::string& type, const std::string& body) {
    return Be32(std::uint32_t(8 + body.size())) + type + body;
}
inline std::string Item(const std::string& type, const std::string& value, std::uint32_t dataType = 1) {
    return Box(type, Box("data", Be32(dataType) + Be32(0) + value));
}
inline std::string FileType() { return Box("ftyp", "M4A " + Be32(0) + "M4A mp42isom"); }
// ftyp, `before`, then moov/udta/meta(hdlr, ilst(items)).
inline std::string Mp4WithItems(const std::string& items, const std::string& before = "") {
    const std::string meta = Box("meta", Be32(0) + Box("hdlr", Be32(0) + Be32(0) + "mdir" + std::string(12, '\0')) +
                                             Box("ilst", items));
    return FileType() + before + Box("moov", Box("mvhd", std::string(100, '\0')) + Box("udta", meta));
}

inline std::string ApeItem(const std::string& key, const std::string& value, std::uint32_t flags = 0) {
    return Le32(std::uint32_t(value.size())) + Le32(flags) + key + '\0' + value;
}
inline std::string ApeFooter(std::uint32_t tagSize, std::uint32_t count, std::uint32_t version = 2000) {
    return "APETAGEX" + Le32(version) + Le32(tagSize) + Le32(count) + Le32(0) + std::string(8, '\0');
}
inline std::string ApeTag(const std::string& items, std::uint32_t count, std::uint32_t version = 2000) {
    return items + ApeFooter(std::uint32_t(items.size() + 32), count, version);
}
inline std::string Id3v1(const std::string& title) { return ("TAG" + title).append(125 - title.size(), '\0'); }

// ---- ID3v2: frames of each major version, and the tag around them.

inline std::string BigEndian(std::uint32_t value, int bytes) {
    std::string out;
    for (int i = bytes - 1; i >= 0; --i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

inline std::string Syncsafe(std::uint32_t value) {
    std::string out;
    for (int i = 3; i >= 0; --i) out += static_cast<char>((value >> (7 * i)) & 0x7F);
    return out;
}

// One frame of a tag of the given major version; `format` is 2.3/2.4's second flag byte.
inline std::string Frame(int major, const std::string& id, const std::string& data, int format = 0) {
    const auto size = static_cast<std::uint32_t>(data.size());
    if (major == 2) return id + BigEndian(size, 3) + data;
    return id + (major == 3 ? BigEndian(size, 4) : Syncsafe(size)) + '\0' +
           static_cast<char>(format) + data;
}

inline std::string Id3v2Tag(int major, const std::string& body, int flags = 0) {
    return std::string("ID3") + static_cast<char>(major) + '\0' + static_cast<char>(flags) +
           Syncsafe(static_cast<std::uint32_t>(body.size())) + body;
}

inline TagSource SourceOf(const std::string& bytes) {
    return MemoryTagSource(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}
inline std::string TextOf(const FieldText& text) { return std::string(text.bytes, text.length); }

constexpr TagField kAllFields[] = {TagField::Title, TagField::Artist, TagField::Album,
                                   TagField::Year,  TagField::Comment, TagField::Genre};
using Fields = std::array<std::string, 6>;  // in the order of kAllFields
// Every format's test file holds these values, and a year given as a full date.
const Fields kExpectedFields = {"Tïtle", "Артист", "アルバム", "1999", "Ça va 😀", "Électro"};

// Reads every field with `read`; all six reads must agree on whether the tag is there.
template <typename Read>
bool ReadFields(const TagSource& source, Read read, Fields& fields) {
    bool found[6];
    for (std::size_t i = 0; i < 6; ++i) {
        FieldText out;
        found[i] = read(source, kAllFields[i], out);
        fields[i] = TextOf(out);
    }
    for (bool f : found) EXPECT_EQ(f, found[0]);
    return found[0];
}

// Bytes this process has read from files so far (Linux), to show what was not read.
inline std::uint64_t BytesReadSoFar() {
    std::FILE* io = std::fopen("/proc/self/io", "r");
    unsigned long long value = 0;
    char line[128];
    while (io != nullptr && std::fgets(line, sizeof line, io) != nullptr) {
        if (std::sscanf(line, "rchar: %llu", &value) == 1) break;
    }
    if (io != nullptr) std::fclose(io);
    return value;
}

}  // namespace zel::testing
