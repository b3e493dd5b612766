// The packets of an Ogg file's first logical stream, read as byte streams over its pages.
//
// A page is "OggS", version 0, a header-type byte, granule position, serial number,
// sequence number and checksum, then a count of segments and their lacing values (the
// segments' sizes). A packet is a run of segments ending with one shorter than 255 bytes,
// so it may continue over any number of pages. Pages of other streams (other serial
// numbers) are passed over. Bytes a reader does not want are passed over without being
// read: a whole page costs one read of its header.
#pragma once

#include <cstddef>
#include <cstdint>

#include "tags/read/buffered_reader.h"
#include "tags/read/byte_stream.h"

namespace zel {

constexpr std::size_t kMaxOggSegments = 255;

struct OggPacketReader {
    BufferedReader* reader = nullptr;
    std::uint32_t serial = 0;          // the first page's stream
    std::int64_t nextPage = 0;         // the offset of the page after the current one
    std::int64_t segmentStart = 0;     // the offset of the current segment's first byte
    unsigned segmentCount = 0;         // segments on the current page
    unsigned segment = 0;              // the current segment's index
    unsigned used = 0;                 // bytes of the current segment already consumed
    bool broken = false;               // a page was missing or unsound: nothing more is read
    unsigned char lacing[kMaxOggSegments];
};

// Starts at the first packet of the page at offset 0. False when there is no sound page
// there.
bool StartOggPackets(OggPacketReader& packets, BufferedReader& reader);

// Passes over the rest of the current packet and starts the next one. False when the
// current packet never ends or no sound page follows.
bool NextOggPacket(OggPacketReader& packets);

// The rest of the current packet as a stream: reads and skips fail at the packet's end.
ByteStream StreamOf(OggPacketReader& packets);

}  // namespace zel
