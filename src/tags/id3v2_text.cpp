#include "tags/id3v2_text.h"

namespace zel {
namespace {

constexpr std::size_t kLanguageSize = 3;
constexpr std::size_t kCommentFixedSize = 1 + kLanguageSize;  // encoding byte, language
constexpr std::size_t kUtf16UnitSize = 2;
constexpr unsigned char kUtf8Mark[] = {0xEF, 0xBB, 0xBF};
constexpr unsigned char kMarkHigh = 0xFE;  // FE FF: big-endian; FF FE: little-endian
constexpr unsigned char kMarkLow = 0xFF;

// Descriptions starting with this mark data one player writes for itself, never a
// comment meant for a person.
constexpr char kMachinePrefix[] = "iTun";
constexpr std::size_t kMachinePrefixSize = sizeof kMachinePrefix - 1;

bool IsUtf16(unsigned char encoding) {
    return encoding == kEncodingUtf16 || encoding == kEncodingUtf16Be;
}

bool IsKnownEncoding(unsigned char encoding) {
    return encoding == kEncodingLatin1 || IsUtf16(encoding) || encoding == kEncodingUtf8;
}

// Drops a byte-order mark from the front of bytes and says which byte order the text
// has. Without a mark, UTF-16 named big-endian is big-endian, and UTF-16 that should have
// a mark is read little-endian: the taggers that leave the mark out run on Windows and
// write little-endian, so that order turns their text into the letters a user expects.
bool TakeByteOrderMark(unsigned char encoding, const unsigned char*& bytes, std::size_t& size) {
    bool bigEndian = encoding == kEncodingUtf16Be;
    if (size >= kUtf16UnitSize) {
        if (bytes[0] == kMarkHigh && bytes[1] == kMarkLow) {
            bigEndian = true;
        } else if (bytes[0] == kMarkLow && bytes[1] == kMarkHigh) {
            bigEndian = false;
        } else {
            return bigEndian;
        }
        bytes += kUtf16UnitSize;
        size -= kUtf16UnitSize;
    }
    return bigEndian;
}

void TakeUtf8Mark(const unsigned char*& bytes, std::size_t& size) {
    if (size >= sizeof kUtf8Mark && bytes[0] == kUtf8Mark[0] && bytes[1] == kUtf8Mark[1] &&
        bytes[2] == kUtf8Mark[2]) {
        bytes += sizeof kUtf8Mark;
        size -= sizeof kUtf8Mark;
    }
}

}  // namespace

void AppendEncodedText(FieldText& text, unsigned char encoding, const unsigned char* bytes,
                       std::size_t size) {
    if (IsUtf16(encoding)) {
        const bool bigEndian = TakeByteOrderMark(encoding, bytes, size);
        AppendUtf16(text, bytes, size, bigEndian);
    } else if (encoding == kEncodingUtf8) {
        TakeUtf8Mark(bytes, size);
        AppendUtf8(text, bytes, size);
    } else {
        AppendLatin1(text, bytes, size);
    }
}

bool IsTextFrame(const unsigned char* data, std::size_t size) {
    return size > 0 && IsKnownEncoding(data[0]);
}

bool AppendTextFrame(FieldText& text, const unsigned char* data, std::size_t size) {
    if (!IsTextFrame(data, size)) return false;
    AppendEncodedText(text, data[0], data + 1, size - 1);
    return true;
}

bool SplitCommentFrame(const unsigned char* data, std::size_t size, CommentFrame* comment) {
    if (size < kCommentFixedSize || !IsKnownEncoding(data[0])) return false;
    const unsigned char encoding = data[0];
    const unsigned char* description = data + kCommentFixedSize;
    const std::size_t rest = size - kCommentFixedSize;
    // The description ends at its first zero character: a zero byte, or in UTF-16 a
    // zero unit (two zero bytes at an even distance from the description's start).
    const std::size_t unit = IsUtf16(encoding) ? kUtf16UnitSize : 1;
    std::size_t end = 0;
    for (;; end += unit) {
        if (end + unit > rest) return false;
        if (description[end] == 0 && (unit == 1 || description[end + 1] == 0)) break;
    }
    comment->encoding = encoding;
    comment->description = description;
    comment->descriptionSize = end;
    comment->text = description + end + unit;
    comment->textSize = rest - end - unit;
    return true;
}

CommentDescription ClassifyDescription(const CommentFrame& comment) {
    const unsigned char* bytes = comment.description;
    std::size_t size = comment.descriptionSize;
    bool bigEndian = false;
    std::size_t unit = 1;
    if (IsUtf16(comment.encoding)) {
        bigEndian = TakeByteOrderMark(comment.encoding, bytes, size);
        unit = kUtf16UnitSize;
    } else if (comment.encoding == kEncodingUtf8) {
        TakeUtf8Mark(bytes, size);
    }
    if (size < unit) return CommentDescription::Empty;
    if (size < kMachinePrefixSize * unit) return CommentDescription::Other;
    for (std::size_t i = 0; i < kMachinePrefixSize; ++i) {
        const unsigned char* at = bytes + i * unit;
        // In UTF-16 an ASCII letter is a zero byte and the letter, in the text's order.
        const unsigned char letter = unit == 1 ? at[0] : (bigEndian ? at[1] : at[0]);
        const unsigned char other = unit == 1 ? 0 : (bigEndian ? at[0] : at[1]);
        if (letter != static_cast<unsigned char>(kMachinePrefix[i]) || other != 0) {
            return CommentDescription::Other;
        }
    }
    return CommentDescription::MachineData;
}

}  // namespace zel
