// The text inside ID3v2 frames: the encoding byte in front, and the layout of a comment
// frame. Works on bytes already read; knows nothing of files or frame headers.
#pragma once

#include <cstddef>

#include "tags/field_text.h"

namespace zel {

// The encodings a frame names in its first data byte.
constexpr unsigned char kEncodingLatin1 = 0;
constexpr unsigned char kEncodingUtf16 = 1;    // byte order from a leading mark
constexpr unsigned char kEncodingUtf16Be = 2;
constexpr unsigned char kEncodingUtf8 = 3;

// Appends one string stored in a frame's encoding (a byte-order mark in front is
// honoured and dropped). Up to its first zero, as every Append does.
void AppendEncodedText(FieldText& text, unsigned char encoding, const unsigned char* bytes,
                       std::size_t size);

// True when a text frame's data starts with an encoding byte we know.
bool IsTextFrame(const unsigned char* data, std::size_t size);

// Appends the first value of a text frame's data: the encoding byte, then the values.
// False, with nothing appended, when there is no encoding byte or it names none we know.
bool AppendTextFrame(FieldText& text, const unsigned char* data, std::size_t size);

// A comment frame's data: encoding byte, three-letter language, a short description
// ended by a zero (two zero bytes in UTF-16), then the comment itself.
struct CommentFrame {
    unsigned char encoding = 0;
    const unsigned char* description = nullptr;
    std::size_t descriptionSize = 0;  // without its ending zero
    const unsigned char* text = nullptr;
    std::size_t textSize = 0;
};

// Finds the parts of a comment frame. False when the encoding is unknown, the frame is
// too short for its fixed part, or the description's end is not within the bytes given.
bool SplitCommentFrame(const unsigned char* data, std::size_t size, CommentFrame* comment);

enum class CommentDescription {
    Empty,        // the comment a person wrote
    MachineData,  // "iTunNORM", "iTunSMPB", ...: numbers a player stores for itself
    Other,
};

CommentDescription ClassifyDescription(const CommentFrame& comment);

}  // namespace zel
