#include "host/path_argument.h"

#include "platform/platform.h"

namespace zel {
namespace {

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool IsLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool IsSlash(char16_t c) { return c == u'\\' || c == u'/'; }
char16_t Upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

// The n characters at text are `word` (upper-case ASCII) in any case.
bool IsWord(const char16_t* text, std::size_t n, const char* word) {
    std::size_t i = 0;
    for (; i < n; ++i) {
        if (word[i] == '\0' || Upper(text[i]) != static_cast<char16_t>(word[i])) return false;
    }
    return word[i] == '\0';
}

// The length of a "scheme:" in front: a letter, then letters, digits, "+", "-" or ".";
// two characters at least, so that "C:" stays a drive. 0 when there is none.
std::size_t SchemeLength(const char16_t* text, std::size_t length) {
    if (length == 0 || !IsLetter(text[0])) return 0;
    std::size_t i = 1;
    while (i < length && (IsLetter(text[i]) || IsDigit(text[i]) || text[i] == u'+' ||
                          text[i] == u'-' || text[i] == u'.')) {
        ++i;
    }
    return i >= 2 && i < length && text[i] == u':' ? i : 0;
}

// "http://" or "https://" and a host after it.
bool IsHttpAddress(const char16_t* text, std::size_t length, std::size_t scheme) {
    return (IsWord(text, scheme, "HTTP") || IsWord(text, scheme, "HTTPS")) &&
           length > scheme + 3 && text[scheme + 1] == u'/' && text[scheme + 2] == u'/' &&
           !IsSlash(text[scheme + 3]);
}

// The form of a full path: drive or network, where its names begin (after the drive's
// colon, or at the host), and whether the system takes it literally ("\\?\": no "/", "."
// or ".." resolved, so a "/" there is no separator).
struct PathShape {
    PathKind kind;  // Relative, NoFile (the device namespace), LocalFile or NetworkFile
    std::size_t namesFrom;
    bool literal;
};

PathShape ShapeOf(const char16_t* text, std::size_t length) {
    if (length >= 3 && IsLetter(text[0]) && text[1] == u':' && IsSlash(text[2])) {
        return {PathKind::LocalFile, 2, false};
    }
    if (length < 3 || !IsSlash(text[0]) || !IsSlash(text[1])) return {PathKind::Relative, 0, false};
    if (IsSlash(text[2])) return {PathKind::Relative, 0, false};  // no host
    const bool device = (text[2] == u'?' || text[2] == u'.') && (length == 3 || IsSlash(text[3]));
    if (!device) return {PathKind::NetworkFile, 2, false};
    // "\\.\" and "\\?\" lead to the system's device namespace (\\.\COM1, \\.\pipe\...,
    // \\?\GLOBALROOT\...). Only the literal "\\?\" in front of a drive path or "UNC\"
    // names a file there.
    const bool literal = length > 4 && text[0] == u'\\' && text[1] == u'\\' && text[2] == u'?' &&
                         text[3] == u'\\';
    if (literal && length >= 7 && IsLetter(text[4]) && text[5] == u':' && text[6] == u'\\') {
        return {PathKind::LocalFile, 6, true};
    }
    if (literal && length > 8 && IsWord(text + 4, 3, "UNC") && text[7] == u'\\') {
        return {PathKind::NetworkFile, 8, true};
    }
    return {PathKind::NoFile, 0, false};
}

// A character no name holds: wildcards and the other characters the file system refuses,
// and the colon, which after the drive names a stream of a file (or a device: "CON:").
bool IsForbidden(char16_t c) {
    return c == u'*' || c == u'?' || c == u'"' || c == u'<' || c == u'>' || c == u'|' || c == u':';
}

// A network path names a host and a share, and a file within it; a share of named pipes
// or mailslots is a device, not a folder.
bool NamesShareFile(const char16_t* text, std::size_t length, std::size_t host) {
    std::size_t share = host;
    while (share < length && !IsSlash(text[share])) ++share;
    ++share;
    std::size_t file = share;
    while (file < length && !IsSlash(text[file])) ++file;
    if (share == host + 1 || file == share || file >= length) return false;
    return !IsWord(text + share, file - share, "PIPE") &&
           !IsWord(text + share, file - share, "MAILSLOT");
}

constexpr const char* kDeviceNames[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};

// The path's last name names a device or no file at all. The system takes a reserved name
// as the device whatever extension or blanks follow it ("nul.mp3", "prn .mp3"); it drops
// dots and blanks at the end of a name, so a name of nothing else is its folder.
bool NamesNoFile(const char16_t* name, std::size_t n) {
    bool onlyDots = true;
    for (std::size_t i = 0; i < n; ++i) onlyDots = onlyDots && (name[i] == u'.' || name[i] == u' ');
    if (onlyDots) return true;
    std::size_t base = 0;
    while (base < n && name[base] != u'.') ++base;
    while (base > 0 && name[base - 1] == u' ') --base;
    for (const char* device : kDeviceNames) {
        if (IsWord(name, base, device)) return true;
    }
    // COM0 to COM9 and LPT0 to LPT9, also with a superscript 1, 2 or 3.
    if (base != 4 || !(IsWord(name, 3, "COM") || IsWord(name, 3, "LPT"))) return false;
    const char16_t digit = name[3];
    return IsDigit(digit) || digit == u'\u00B9' || digit == u'\u00B2' || digit == u'\u00B3';
}

}  // namespace

PathKind ClassifyPath(const CallArgument& argument, std::size_t maxLength) {
    if (!argument.decoded) return PathKind::Relative;
    const char16_t* text = argument.text;
    const std::size_t length = argument.length;
    // Control characters belong in no path and no address.
    for (std::size_t i = 0; i < length; ++i) {
        if (text[i] < u' ' || text[i] == 0x7F) return PathKind::Relative;
    }
    const std::size_t scheme = SchemeLength(text, length);
    if (scheme != 0) {
        if (!IsHttpAddress(text, length, scheme)) return PathKind::OtherScheme;
        return length > maxLength ? PathKind::TooLong : PathKind::Stream;
    }
    const PathShape shape = ShapeOf(text, length);
    if (shape.kind == PathKind::Relative) return PathKind::Relative;
    if (length > maxLength) return PathKind::TooLong;
    if (shape.kind == PathKind::NoFile) return PathKind::NoFile;
    for (std::size_t i = shape.namesFrom; i < length; ++i) {
        if (IsForbidden(text[i]) || (shape.literal && text[i] == u'/')) return PathKind::NoFile;
    }
    if (shape.kind == PathKind::NetworkFile && !NamesShareFile(text, length, shape.namesFrom)) {
        return PathKind::NoFile;
    }
    std::size_t name = length;
    while (name > shape.namesFrom && !IsSlash(text[name - 1])) --name;
    return NamesNoFile(text + name, length - name) ? PathKind::NoFile : shape.kind;
}

const char* PathRefusal(PathKind kind) {
    switch (kind) {
        case PathKind::Relative:
            return "give a full path";
        case PathKind::OtherScheme:
            return "give a full path or an http(s) address";
        case PathKind::TooLong:
            return "the path is too long";
        case PathKind::NoFile:
            return kNoSuchFile;
        case PathKind::LocalFile:
        case PathKind::NetworkFile:
        case PathKind::Stream:
            break;
    }
    return nullptr;
}

bool LocalFileExists(const CallArgument& argument) {
    if (argument.length > platform::kLongestFilePath) return false;
    const platform::SearchResult found = platform::SearchFirstFile(argument.text);
    return found.found && !found.isDirectory;
}

}  // namespace zel
