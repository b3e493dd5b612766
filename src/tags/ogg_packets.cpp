#include "tags/ogg_packets.h"

#include "tags/read/byte_order.h"

namespace zel {
namespace {

constexpr std::size_t kPageHeaderSize = 27;
constexpr std::size_t kVersionOffset = 4;
constexpr std::size_t kHeaderTypeOffset = 5;
constexpr std::size_t kSerialOffset = 14;
constexpr std::size_t kSegmentCountOffset = 26;
constexpr unsigned char kStreamVersion = 0;
constexpr unsigned char kContinuedPacket = 0x01;  // the page starts inside a packet
constexpr unsigned kFullSegment = 255;            // a segment this long continues its packet

struct PageHeader {
    unsigned char bytes[kPageHeaderSize];
};

// Reads the page at offset and its lacing values into packets (not yet made current).
// False when no sound page is there.
bool ReadPage(OggPacketReader& packets, std::int64_t offset, PageHeader& header) {
    // The header and the longest lacing table in one read, and no more: the page's body
    // may well be passed over.
    if (!ReadThrough(*packets.reader, offset, header.bytes, kPageHeaderSize,
                     kPageHeaderSize + kMaxOggSegments) ||
        !IsFourCc(header.bytes, "OggS") || header.bytes[kVersionOffset] != kStreamVersion) {
        return false;
    }
    const unsigned count = header.bytes[kSegmentCountOffset];
    if (!ReadThrough(*packets.reader, offset + static_cast<std::int64_t>(kPageHeaderSize), packets.lacing,
                     count)) {
        return false;
    }
    std::int64_t body = 0;
    for (unsigned i = 0; i < count; ++i) body += packets.lacing[i];
    packets.segmentCount = count;
    packets.segment = 0;
    packets.used = 0;
    packets.segmentStart = offset + static_cast<std::int64_t>(kPageHeaderSize + count);
    packets.nextPage = packets.segmentStart + body;
    return true;
}

// Makes the next page of the stream current. `continued` says whether a packet runs on
// into it: a page that disagrees belongs to a broken stream, which ends here.
bool NextPage(OggPacketReader& packets, bool continued) {
    for (;;) {
        PageHeader header;
        if (!ReadPage(packets, packets.nextPage, header)) return false;
        if (ReadLe32(header.bytes + kSerialOffset) != packets.serial) continue;  // another stream
        return ((header.bytes[kHeaderTypeOffset] & kContinuedPacket) != 0) == continued;
    }
}

// Moves to the segment after the current one, over pages (and empty pages) as needed.
bool StepSegment(OggPacketReader& packets, bool continued) {
    if (packets.broken) return false;
    packets.segmentStart += packets.lacing[packets.segment];
    ++packets.segment;
    packets.used = 0;
    while (packets.segment >= packets.segmentCount) {
        if (!NextPage(packets, continued)) {
            packets.broken = true;
            return false;
        }
    }
    return true;
}

// Reads (buffer set) or passes over (buffer null) count bytes of the current packet.
bool Advance(OggPacketReader& packets, unsigned char* buffer, std::uint64_t count) {
    while (count > 0) {
        if (packets.broken) return false;
        const unsigned length = packets.lacing[packets.segment];
        const unsigned available = length - packets.used;
        if (available == 0) {
            if (length < kFullSegment || !StepSegment(packets, true)) return false;
            continue;
        }
        const unsigned take = count < available ? static_cast<unsigned>(count) : available;
        if (buffer != nullptr) {
            if (!ReadThrough(*packets.reader, packets.segmentStart + packets.used, buffer, take)) {
                packets.broken = true;
                return false;
            }
            buffer += take;
        }
        packets.used += take;
        count -= take;
    }
    return true;
}

bool ReadPacket(void* state, void* buffer, std::size_t count) {
    return Advance(*static_cast<OggPacketReader*>(state), static_cast<unsigned char*>(buffer), count);
}

bool SkipPacket(void* state, std::uint64_t count) {
    return Advance(*static_cast<OggPacketReader*>(state), nullptr, count);
}

}  // namespace

bool StartOggPackets(OggPacketReader& packets, BufferedReader& reader) {
    packets.reader = &reader;
    PageHeader header;
    packets.broken = !ReadPage(packets, 0, header);
    if (packets.broken) return false;
    packets.serial = ReadLe32(header.bytes + kSerialOffset);
    while (packets.segmentCount == 0) {
        if (!NextPage(packets, false)) {
            packets.broken = true;
            return false;
        }
    }
    return true;
}

bool NextOggPacket(OggPacketReader& packets) {
    // Pass over the rest of the packet, page by page, to its last (short) segment.
    while (!packets.broken && packets.lacing[packets.segment] == kFullSegment) {
        if (!StepSegment(packets, true)) return false;
    }
    return StepSegment(packets, false);
}

ByteStream StreamOf(OggPacketReader& packets) {
    ByteStream stream;
    stream.state = &packets;
    stream.read = ReadPacket;
    stream.skip = SkipPacket;
    return stream;
}

}  // namespace zel
