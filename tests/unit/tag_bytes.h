// Tagged files built byte by byte for the tag reader tests: FLAC, Ogg, MP4 and APE
// structures, with every size computed from what is really inside unless a test asks
// for a false one.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tags/field_text.h"
#include "tags/tag_source.h"

namespace zel::testing {

inline std::string Le32(std::uint32_t v) {
    return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
            static_cast<char>(v >> 24)};
}
inline std::string Be16(std::uint32_t v) { return {static_cast<char>(v >> 8), static_cast<char>(v)}; }
inline std::string Be24(std::uint32_t v) {
    return {static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}
inline std::string Be32(std::uint32_t v) { return Be16(v >> 16) + Be16(v); }
inline std::string Be64(std::uint64_t v) {
    return Be32(static_cast<std::uint32_t>(v >> 32)) + Be32(static_cast<std::uint32_t>(v));
}

// ---- Vorbis comments, FLAC ----------------------------------------------------------

inline std::string VorbisBlock(const std::vector<std::string>& comments, const std::string& vendor = "zel test",
                               std::int64_t count = -1) {
    std::string block = Le32(static_cast<std::uint32_t>(vendor.size())) + vendor +
                        Le32(count < 0 ? static_cast<std::uint32_t>(comments.size())
                                       : static_cast<std::uint32_t>(count));
    for (const std::string& c : comments) block += Le32(static_cast<std::uint32_t>(c.size())) + c;
    return block;
}

constexpr unsigned char kFlacStreamInfo = 0, kFlacPadding = 1, kFlacComment = 4, kFlacPicture = 6;

inline std::string FlacBlock(unsigned char type, const std::string& body, bool last = false) {
    return std::string(1, static_cast<char>(type | (last ? 0x80 : 0))) +
           Be24(static_cast<std::uint32_t>(body.size())) + body;
}

// "fLaC", a stream-info block, the given blocks, a few bytes of audio.
inline std::string Flac(const std::string& blocks) {
    return "fLaC" + FlacBlock(kFlacStreamInfo, std::string(34, '\x11')) + blocks + "\xff\xf8\x69\x08";
}

// ---- Ogg ----------------------------------------------------------------------------

constexpr unsigned char kOggContinued = 0x01, kOggFirst = 0x02;

inline std::string OggPage(std::uint32_t serial, std::uint32_t sequence, unsigned char type,
                           const std::vector<unsigned char>& lacing, const std::string& body) {
    std::string page = "OggS";
    page += '\0';
    page += static_cast<char>(type);
    page += std::string(8, '\0');  // granule position
    page += Le32(serial) + Le32(sequence) + Le32(0 /* checksum: not checked */);
    page += static_cast<char>(lacing.size());
    for (unsigned char l : lacing) page += static_cast<char>(l);
    return page + body;
}

// The packets of one stream in pages: the first packet alone on the first page, the
// rest laced one after another onto pages of at most maxSegments segments.
inline std::string OggStream(std::uint32_t serial, const std::vector<std::string>& packets,
                             std::size_t maxSegments = 255) {
    std::vector<std::string> pages;
    std::uint32_t sequence = 0;
    std::vector<unsigned char> lacing;
    std::string body;
    bool continued = false;  // the next page starts inside a packet
    bool pageStartsContinued = false;
    auto flush = [&] {
        pages.push_back(OggPage(serial, sequence, (sequence == 0 ? kOggFirst : 0) |
                                                      (pageStartsContinued ? kOggContinued : 0),
                                lacing, body));
        ++sequence;
        lacing.clear();
        body.clear();
        pageStartsContinued = continued;
    };
    for (std::size_t p = 0; p < packets.size(); ++p) {
        const std::string& packet = packets[p];
        std::size_t at = 0;
        for (;;) {
            if (lacing.size() == maxSegments) flush();
            const std::size_t take = std::min<std::size_t>(255, packet.size() - at);
            lacing.push_back(static_cast<unsigned char>(take));
            body += packet.substr(at, take);
            at += take;
            continued = take == 255;
            if (!continued) break;
        }
        if (p == 0) flush();
    }
    if (!lacing.empty()) flush();
    std::string all;
    for (const std::string& page : pages) all += page;
    return all;
}

inline std::string VorbisIdentification() { return "\x01vorbis" + std::string(23, '\x02'); }
inline std::string OpusIdentification() { return "OpusHead" + std::string(11, '\x01'); }

// ---- MP4 ----------------------------------------------------------------------------

inline std::string Box(const std::string& type, const std::string& body) {
    return Be32(static_cast<std::uint32_t>(8 + body.size())) + type + body;
}
inline std::string FullBox(const std::string& type, const std::string& body) {
    return Box(type, std::string(4, '\0') + body);
}
constexpr std::uint32_t kMp4Utf8 = 1, kMp4Implicit = 0;
inline std::string Item(const std::string& type, const std::string& value, std::uint32_t dataType = kMp4Utf8) {
    return Box(type, Box("data", Be32(dataType) + Be32(0) + value));
}
inline std::string FileType() { return Box("ftyp", "M4A " + Be32(0) + "M4A mp42isom"); }
// ftyp, then moov/udta/meta(hdlr, ilst(items)).
inline std::string Mp4WithItems(const std::string& items, const std::string& before = "",
                                const std::string& after = "") {
    const std::string meta = FullBox("meta", FullBox("hdlr", std::string(4, '\0') + "mdirappl" + std::string(9, '\0')) +
                                                 Box("ilst", items));
    return FileType() + before + Box("moov", Box("mvhd", std::string(100, '\0')) + Box("udta", meta)) + after;
}

// ---- APE ----------------------------------------------------------------------------

constexpr std::uint32_t kApeBinary = 1u << 1;

inline std::string ApeItem(const std::string& key, const std::string& value, std::uint32_t flags = 0) {
    return Le32(static_cast<std::uint32_t>(value.size())) + Le32(flags) + key + '\0' + value;
}

inline std::string ApeFooter(std::uint32_t tagSize, std::uint32_t count, std::uint32_t version = 2000) {
    return "APETAGEX" + Le32(version) + Le32(tagSize) + Le32(count) + Le32(0) + std::string(8, '\0');
}

inline std::string ApeTag(const std::string& items, std::int64_t count, std::uint32_t version = 2000) {
    return items + ApeFooter(static_cast<std::uint32_t>(items.size() + 32), static_cast<std::uint32_t>(count),
                             version);
}

inline std::string Id3v1(const std::string& title) {
    std::string tag = "TAG" + title;
    tag.resize(128, '\0');
    return tag;
}

// ---- Reading ------------------------------------------------------------------------

inline TagSource SourceOf(const std::string& bytes) {
    return MemoryTagSource(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

inline std::string TextOf(const FieldText& text) { return std::string(text.bytes, text.length); }

constexpr TagField kAllFields[] = {TagField::Title, TagField::Artist, TagField::Album,
                                   TagField::Year,  TagField::Comment, TagField::Genre};

// Bytes this process has read from files so far (Linux), to show what was not read.
inline std::uint64_t BytesReadSoFar() {
    std::FILE* io = std::fopen("/proc/self/io", "r");
    if (io == nullptr) return 0;
    char line[128];
    unsigned long long value = 0;
    while (std::fgets(line, sizeof line, io) != nullptr) {
        if (std::sscanf(line, "rchar: %llu", &value) == 1) break;
    }
    std::fclose(io);
    return value;
}

}  // namespace zel::testing
