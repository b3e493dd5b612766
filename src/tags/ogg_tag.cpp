#include "tags/ogg_tag.h"

#include "tags/read/buffered_reader.h"
#include "tags/ogg_packets.h"
#include "tags/vorbis_comment.h"

namespace zel {
namespace {

// Each packet starts with a signature: the identification packet first, then the
// comment packet. Vorbis writes a packet type byte and "vorbis", Opus eight letters.
struct Signature {
    const char* bytes;
    std::size_t size;
};
constexpr Signature kVorbisIdentification{"\x01vorbis", 7};
constexpr Signature kVorbisComment{"\x03vorbis", 7};
constexpr Signature kOpusIdentification{"OpusHead", 8};
constexpr Signature kOpusComment{"OpusTags", 8};
constexpr std::size_t kLongestSignature = 8;

bool StartsWith(const unsigned char* bytes, Signature signature) {
    for (std::size_t i = 0; i < signature.size; ++i) {
        if (bytes[i] != static_cast<unsigned char>(signature.bytes[i])) return false;
    }
    return true;
}

// Reads the signature's size from the packet's start; true when they match it.
bool PacketStartsWith(ByteStream& stream, Signature signature) {
    unsigned char bytes[kLongestSignature];
    return stream.read(stream.state, bytes, signature.size) && StartsWith(bytes, signature);
}

// The codec named by the first packet, from its first eight bytes (both identification
// packets are longer).
OggCodec FirstPacketCodec(OggPacketReader& packets) {
    ByteStream stream = StreamOf(packets);
    unsigned char bytes[kLongestSignature];
    if (!stream.read(stream.state, bytes, kLongestSignature)) return OggCodec::Other;
    if (StartsWith(bytes, kVorbisIdentification)) return OggCodec::Vorbis;
    if (StartsWith(bytes, kOpusIdentification)) return OggCodec::Opus;
    return OggCodec::Other;
}

}  // namespace

OggCodec DetectOggCodec(const TagSource& source) {
    BufferedReader reader;
    StartReader(reader, source);
    return DetectOggCodec(reader);
}

OggCodec DetectOggCodec(BufferedReader& reader) {
    OggPacketReader packets;
    if (!StartOggPackets(packets, reader)) return OggCodec::Other;
    return FirstPacketCodec(packets);
}

bool ReadOggField(const TagSource& source, TagField field, FieldText& out) {
    out.length = 0;
    out.closed = false;
    BufferedReader reader;
    StartReader(reader, source);
    OggPacketReader packets;
    if (!StartOggPackets(packets, reader)) return false;
    const OggCodec codec = FirstPacketCodec(packets);
    if (codec == OggCodec::Other || !NextOggPacket(packets)) return false;
    ByteStream stream = StreamOf(packets);
    if (!PacketStartsWith(stream, codec == OggCodec::Vorbis ? kVorbisComment : kOpusComment)) return false;
    // A Vorbis comment packet ends with a framing bit after the block; it is not needed.
    return ReadVorbisComment(stream, field, out);
}

}  // namespace zel
