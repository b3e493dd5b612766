#include "tags/id3v2.h"

#include "tags/id3v2_text.h"
#include "tags/tag_stream.h"

namespace zel {
namespace {

// The tag header: "ID3", major version, revision, flags, four-byte syncsafe size.
constexpr std::size_t kHeaderSize = 10;
constexpr std::size_t kFooterSize = 10;
constexpr unsigned char kSignature[] = {'I', 'D', '3'};
constexpr std::size_t kMajorVersionAt = 3;
constexpr std::size_t kFlagsAt = 5;
constexpr std::size_t kSizeAt = 6;
constexpr unsigned char kOldestMajor = 2;
constexpr unsigned char kNewestMajor = 4;

constexpr unsigned char kTagUnsynchronised = 0x80;
constexpr unsigned char kTagCompressed22 = 0x40;      // 2.2: no way to read it was ever set
constexpr unsigned char kTagExtendedHeader = 0x40;    // 2.3 and 2.4
constexpr unsigned char kTagFooter24 = 0x10;

// Syncsafe numbers keep seven bits in each byte, so no byte has its top bit set.
constexpr unsigned char kSyncsafeSpareBit = 0x80;
constexpr std::size_t kSizeBytes = 4;
constexpr std::int64_t kExtendedHeaderMinimum24 = 6;  // its size counts its own 4 bytes

// Frame headers: 2.2 has a 3-byte id and a 3-byte size; 2.3 and 2.4 a 4-byte id, a
// 4-byte size (syncsafe in 2.4) and two flag bytes, of which the second says how the
// data is stored.
constexpr std::size_t kFrameHeaderSize22 = 6;
constexpr std::size_t kFrameHeaderSize = 10;
constexpr std::size_t kFrameIdSize22 = 3;
constexpr std::size_t kFrameIdSize = 4;
constexpr std::size_t kFrameFormatFlagsAt = 9;

constexpr unsigned char kFrameCompressed23 = 0x80;
constexpr unsigned char kFrameEncrypted23 = 0x40;
constexpr unsigned char kFrameGrouped23 = 0x20;
constexpr unsigned char kFrameGrouped24 = 0x40;
constexpr unsigned char kFrameCompressed24 = 0x08;
constexpr unsigned char kFrameEncrypted24 = 0x04;
constexpr unsigned char kFrameUnsynchronised24 = 0x02;
constexpr unsigned char kFrameDataLength24 = 0x01;
constexpr std::int64_t kGroupByteSize = 1;
constexpr std::int64_t kDataLengthSize = 4;

// At most this much of a wanted frame's data is read. Enough for a full FieldText from
// any encoding (UTF-16 takes two bytes for each one-byte UTF-8 character) after the
// encoding byte and a comment's language and description; blanks before a value run
// past this only in a broken tag.
constexpr std::size_t kTextWindow = 6 * 1024;

constexpr std::size_t kYearCharacters = 4;  // a year is the first four of a date

struct TagHeader {
    unsigned char major = 0;
    unsigned char flags = 0;
    std::int64_t bodySize = 0;  // bytes after the header, footer not counted
};

bool IsSyncsafe(const unsigned char* bytes) {
    for (std::size_t i = 0; i < kSizeBytes; ++i) {
        if (bytes[i] & kSyncsafeSpareBit) return false;
    }
    return true;
}

std::int64_t SyncsafeValue(const unsigned char* bytes) {
    std::int64_t value = 0;
    for (std::size_t i = 0; i < kSizeBytes; ++i) value = (value << 7) | bytes[i];
    return value;
}

std::int64_t BigEndianValue(const unsigned char* bytes, std::size_t count) {
    std::int64_t value = 0;
    for (std::size_t i = 0; i < count; ++i) value = (value << 8) | bytes[i];
    return value;
}

bool ReadTagHeader(const TagSource& source, TagHeader* header) {
    unsigned char bytes[kHeaderSize];
    if (!ReadAt(source, 0, bytes, sizeof bytes)) return false;
    for (std::size_t i = 0; i < sizeof kSignature; ++i) {
        if (bytes[i] != kSignature[i]) return false;
    }
    const unsigned char major = bytes[kMajorVersionAt];
    if (major < kOldestMajor || major > kNewestMajor) return false;
    if (!IsSyncsafe(bytes + kSizeAt)) return false;
    header->major = major;
    header->flags = bytes[kFlagsAt];
    header->bodySize = SyncsafeValue(bytes + kSizeAt);
    return true;
}

// Passes over the extended header at the start of the body. False when it is broken.
bool SkipExtendedHeader(TagStream& body, const TagHeader& header) {
    unsigned char bytes[kSizeBytes];
    if (ReadTagStream(body, bytes, sizeof bytes) != sizeof bytes) return false;
    if (header.major == 3) {
        // A plain number that does not count its own four bytes.
        return SkipTagStream(body, BigEndianValue(bytes, sizeof bytes));
    }
    if (!IsSyncsafe(bytes)) return false;
    const std::int64_t size = SyncsafeValue(bytes);
    if (size < kExtendedHeaderMinimum24) return false;
    return SkipTagStream(body, size - static_cast<std::int64_t>(kSizeBytes));
}

struct FrameHeader {
    char id[kFrameIdSize + 1] = {};  // zero-ended; 2.2 ids have three letters
    std::int64_t size = 0;           // data bytes after the header
    bool skipped = false;            // compressed or encrypted: not read
    bool unsynchronised = false;     // 2.4: this frame's data has zeros to drop
    std::int64_t extraBytes = 0;     // group byte and data length before the text
};

enum class FrameRead { Frame, End };

bool IsFrameIdCharacter(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// Reads the next frame header. End at the tag's end, at padding (a zero byte where an
// id would start), at an id that is not capital letters and digits, at a 2.4 size that
// is not syncsafe and at a size that runs past the tag: in a broken tag nothing after
// the fault can be trusted to start where it seems to.
FrameRead ReadFrameHeader(TagStream& body, const TagHeader& tag, FrameHeader* frame) {
    const bool old = tag.major == 2;
    const std::size_t headerSize = old ? kFrameHeaderSize22 : kFrameHeaderSize;
    const std::size_t idSize = old ? kFrameIdSize22 : kFrameIdSize;
    unsigned char bytes[kFrameHeaderSize];
    if (ReadTagStream(body, bytes, headerSize) != headerSize) return FrameRead::End;
    for (std::size_t i = 0; i < idSize; ++i) {
        if (!IsFrameIdCharacter(bytes[i])) return FrameRead::End;
        frame->id[i] = static_cast<char>(bytes[i]);
    }
    frame->id[idSize] = '\0';

    const unsigned char* size = bytes + idSize;
    unsigned char format = 0;
    if (old) {
        frame->size = BigEndianValue(size, kFrameIdSize22);
    } else if (tag.major == 3) {
        frame->size = BigEndianValue(size, kSizeBytes);
        format = bytes[kFrameFormatFlagsAt];
        frame->skipped = (format & (kFrameCompressed23 | kFrameEncrypted23)) != 0;
        frame->extraBytes = (format & kFrameGrouped23) ? kGroupByteSize : 0;
    } else {
        if (!IsSyncsafe(size)) return FrameRead::End;
        frame->size = SyncsafeValue(size);
        format = bytes[kFrameFormatFlagsAt];
        frame->skipped = (format & (kFrameCompressed24 | kFrameEncrypted24)) != 0;
        frame->unsynchronised =
            (format & kFrameUnsynchronised24) || (tag.flags & kTagUnsynchronised);
        frame->extraBytes = ((format & kFrameGrouped24) ? kGroupByteSize : 0) +
                            ((format & kFrameDataLength24) ? kDataLengthSize : 0);
    }
    if (frame->size > TagStreamBytesLeft(body)) return FrameRead::End;
    return FrameRead::Frame;
}

// Reads the start of a wanted frame's text (its first kTextWindow bytes after the extra
// bytes) into window and leaves body after the frame. False when the frame runs past
// the tag. *length is 0 when the frame is too short for its own extra bytes.
bool ReadFrameText(TagStream& body, const FrameHeader& frame, unsigned char* window,
                   std::size_t* length) {
    *length = 0;
    if (frame.unsynchronised) {
        // 2.4: the zeros are dropped within this frame only, and its size counts them.
        // The stream for the frame's bytes is set up before body passes them by seeking.
        TagStream data;
        OpenTagStream(data, *body.source, body.position, body.position + frame.size, true);
        if (!SkipTagStream(body, frame.size)) return false;
        if (SkipTagStream(data, frame.extraBytes)) *length = ReadTagStream(data, window, kTextWindow);
        return true;
    }
    if (frame.size < frame.extraBytes) return SkipTagStream(body, frame.size);
    const std::int64_t textSize = frame.size - frame.extraBytes;
    const std::size_t take = textSize < static_cast<std::int64_t>(kTextWindow)
                                 ? static_cast<std::size_t>(textSize)
                                 : kTextWindow;
    if (!SkipTagStream(body, frame.extraBytes)) return false;
    if (ReadTagStream(body, window, take) != take) return false;
    *length = take;
    return SkipTagStream(body, textSize - static_cast<std::int64_t>(take));
}

// What a frame is to the field being looked for.
enum class FrameRole {
    None,
    Value,         // the field's own frame: its first value is the answer
    DateForYear,   // a recording date: its year answers when the tag has no year frame
    Comment,
};

struct FieldFrameIds {
    const char* v22;
    const char* v23;  // 2.3 and 2.4
};

constexpr FieldFrameIds kValueFrames[] = {
    {"TT2", "TIT2"},  // TagField::Title
    {"TP1", "TPE1"},  // TagField::Artist
    {"TAL", "TALB"},  // TagField::Album
    {"TYE", "TYER"},  // TagField::Year
    {"COM", "COMM"},  // TagField::Comment
    {"TCO", "TCON"},  // TagField::Genre
};
constexpr char kRecordingDate[] = "TDRC";

bool SameId(const char* a, const char* b) {
    while (*a != '\0' && *a == *b) ++a, ++b;
    return *a == *b;
}

FrameRole RoleOf(const FrameHeader& frame, const TagHeader& tag, TagField field) {
    const FieldFrameIds& ids = kValueFrames[static_cast<int>(field)];
    if (SameId(frame.id, tag.major == 2 ? ids.v22 : ids.v23)) {
        return field == TagField::Comment ? FrameRole::Comment : FrameRole::Value;
    }
    if (field == TagField::Year && tag.major != 2 && SameId(frame.id, kRecordingDate)) {
        return FrameRole::DateForYear;
    }
    return FrameRole::None;
}

void Clear(FieldText& text) {
    text.length = 0;
    text.closed = false;
}

// Walks the frames for one field. A year frame wins over a recording date wherever
// either stands; among comment frames the first without a description wins (that is the
// comment a person typed), else the first with a description that is not a player's
// own data.
void FindField(TagStream& body, const TagHeader& tag, TagField field, FieldText& out) {
    unsigned char window[kTextWindow];
    bool haveStandIn = false;  // out holds a date's year or a described comment
    for (;;) {
        FrameHeader frame;
        if (ReadFrameHeader(body, tag, &frame) == FrameRead::End) return;
        const FrameRole role = frame.skipped ? FrameRole::None : RoleOf(frame, tag, field);
        if (role == FrameRole::None || frame.size == 0) {
            // A frame of no bytes has no value; nothing of it is read.
            if (!SkipTagStream(body, frame.size)) return;
            continue;
        }
        std::size_t length = 0;
        if (!ReadFrameText(body, frame, window, &length)) return;

        // A frame in an encoding we do not know is passed over as if it were not there.
        if (role == FrameRole::Value) {
            if (!IsTextFrame(window, length)) continue;
            Clear(out);  // a date's year may be there
            AppendTextFrame(out, window, length);
            return;
        } else if (role == FrameRole::DateForYear) {
            if (haveStandIn) continue;
            haveStandIn = AppendTextFrame(out, window, length);
        } else {
            CommentFrame comment;
            if (!SplitCommentFrame(window, length, &comment)) continue;
            const CommentDescription kind = ClassifyDescription(comment);
            if (kind == CommentDescription::MachineData) continue;
            if (kind == CommentDescription::Other && haveStandIn) continue;
            Clear(out);
            AppendEncodedText(out, comment.encoding, comment.text, comment.textSize);
            if (kind == CommentDescription::Empty) return;
            haveStandIn = true;
        }
    }
}

}  // namespace

std::int64_t Id3v2TagSize(const TagSource& source) {
    TagHeader header;
    if (!ReadTagHeader(source, &header)) return 0;
    const bool footer = header.major == 4 && (header.flags & kTagFooter24);
    return static_cast<std::int64_t>(kHeaderSize) + header.bodySize +
           (footer ? static_cast<std::int64_t>(kFooterSize) : 0);
}

bool ReadId3v2Field(const TagSource& source, TagField field, FieldText& out) {
    Clear(out);
    TagHeader header;
    if (!ReadTagHeader(source, &header)) return false;
    if (header.major == 2 && (header.flags & kTagCompressed22)) return false;

    // The frames lie within the size the header gives, and within the file.
    const std::int64_t begin = static_cast<std::int64_t>(kHeaderSize);
    std::int64_t end = begin + header.bodySize;
    if (end > source.size) end = source.size;
    // Before 2.4 the zeros were put into the whole body, frame headers included; in 2.4
    // the flag means every frame's data has them, and is handled frame by frame.
    const bool bodyUnsynchronised = header.major < 4 && (header.flags & kTagUnsynchronised);

    TagStream body;
    OpenTagStream(body, source, begin, end, bodyUnsynchronised);
    if (header.major > 2 && (header.flags & kTagExtendedHeader) &&
        !SkipExtendedHeader(body, header)) {
        return false;
    }
    FindField(body, header, field, out);
    // Whichever frame gave it (a year frame or a recording date), a year is cut here.
    if (field == TagField::Year) KeepFirstCharacters(out, kYearCharacters);
    return true;
}

}  // namespace zel
