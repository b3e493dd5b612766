#include "track/playlist_search.h"

#include <cstring>

#include "platform/heap_buffer.h"
#include "text/case_fold.h"
#include "text/utf8.h"
#include "track/bit_masks.h"
#include "track/search_anchor.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#include <emmintrin.h>
#endif

namespace zel {
namespace {

constexpr unsigned char kCarriageReturn = 13;
constexpr unsigned char kEndOfFile = 26;  // Ctrl-Z
constexpr unsigned char kBlank = 32;
constexpr unsigned char kCommentStart = '#';
constexpr char kTitleStart[] = "#EXTINF:";
constexpr std::size_t kTitleStartSize = sizeof kTitleStart - 1;
constexpr unsigned char kByteOrderMark[] = {0xEF, 0xBB, 0xBF};
constexpr std::size_t kChunk = 64;

// Everything the search holds, in one block from the heap.
struct SearchRoom {
    unsigned char block[kSearchBlock];
    unsigned char line[kLineKept];
    char16_t title[kLineKept + 1];
    char16_t path[kLineKept + 1];
    AnchorRoom anchor;
};

// One bit a byte of a chunk, as the vector or the portable code finds them.
struct ByteMasks {
    std::uint64_t above = 0;     // bytes above 32
    std::uint64_t lineEnds = 0;  // carriage returns
    std::uint64_t comments = 0;  // "#"
    std::uint64_t stops = 0;     // Ctrl-Z
    std::uint64_t before = 0;    // bytes of the anchor's first set
    std::uint64_t at = 0;        // bytes of its second set
};

// What a chunk holds, up to a Ctrl-Z: where lines start, which of them are entries (not
// comments), and the anchor's second bytes where the first stands right before them.
struct ChunkMasks {
    std::uint64_t starts;
    std::uint64_t entries;
    std::uint64_t candidates;
};

// The last chunk in which lines started.
struct StartsSeen {
    std::uint64_t base = 0;
    std::uint64_t starts = 0;
    std::uint64_t entries = 0;
};

// A line by where it starts in the file.
struct Line {
    bool known = false;
    std::uint64_t offset = 0;
    bool entry = false;  // else a comment
};

// What the scan carries from one chunk to the next, held in registers while it scans a
// block.
struct ChunkCarry {
    std::uint64_t lineCarry = 1;     // the first byte above blank starts a line
    std::uint64_t anchorCarry = 0;   // the byte before the chunk is in the anchor's first set
    std::uint32_t entriesBefore = 0;  // entries that start before the chunk
    StartsSeen recent, older;
    // A comment line holds the anchor: if the next line is an entry, it is tried with this
    // line as its title (Scan::pendingTitle, Scan::pendingEntry).
    bool pending = false;
};

struct Scan {
    platform::FileHandle file = nullptr;
    PlaylistText text = PlaylistText::Ansi;
    SearchWords* words = nullptr;
    SearchMatches* matches = nullptr;
    SearchRoom* room = nullptr;
    SearchAnchor anchor = {kEveryByte, kEveryByte, false};
    std::size_t capacity = 0;        // bytes read at a time
    std::uint64_t blockOffset = 0;   // where in the file the block's first byte stands
    std::size_t end = 0;             // bytes in the block
    ChunkCarry carry;
    std::uint64_t pendingTitle = 0;
    std::uint32_t pendingEntry = 0;
    std::uint32_t lastTried = 0;  // entries are tried once each, in order
    bool failed = false;          // a read failed
    char16_t asciiFold[128];
};

// Bytes before the first carriage return or Ctrl-Z.
std::size_t LineLength(const unsigned char* bytes, std::size_t size) {
    std::size_t n = 0;
    while (n < size && bytes[n] != kCarriageReturn && bytes[n] != kEndOfFile) ++n;
    return n;
}

// Keeps the first bytes of the line that starts at `offset` (up to kLineKept) in
// room->line and returns how many. The block gives what it holds of them; the rest is
// read from the file, which is then left where the scan reads next.
std::size_t ReadLineAt(Scan& s, std::uint64_t offset) {
    unsigned char* out = s.room->line;
    const std::uint64_t blockEnd = s.blockOffset + s.end;
    std::size_t n = 0;
    std::uint64_t from = offset;
    if (offset >= s.blockOffset && offset < blockEnd) {
        const unsigned char* at = s.room->block + (offset - s.blockOffset);
        std::size_t held = static_cast<std::size_t>(blockEnd - offset);
        if (held > kLineKept) held = kLineKept;
        n = LineLength(at, held);
        std::memcpy(out, at, n);
        if (n < held || n == kLineKept) return n;
        from = blockEnd;  // the line goes on past the block
    }
    std::uint32_t read = 0;
    const bool ok = platform::SeekFileTo(s.file, static_cast<std::int64_t>(from)) &&
                    platform::ReadFileBytes(s.file, out + n, static_cast<std::uint32_t>(kLineKept - n), &read);
    n += LineLength(out + n, ok ? read : 0);
    if (!ok || !platform::SeekFileTo(s.file, static_cast<std::int64_t>(blockEnd))) s.failed = true;
    return n;
}

// Decodes a line's bytes from the file's encoding and folds them; returns the units.
std::size_t DecodeFolded(const Scan& s, const unsigned char* bytes, std::size_t size, char16_t* out) {
    unsigned char any = 0;
    for (std::size_t i = 0; i < size; ++i) any |= bytes[i];
    if (any < 0x80) {
        for (std::size_t i = 0; i < size; ++i) out[i] = s.asciiFold[bytes[i]];
        return size;
    }
    std::size_t units = 0;
    if (s.text == PlaylistText::Utf8) {
        units = DecodeUtf8Replacing(reinterpret_cast<const char*>(bytes), size, out, kLineKept + 1);
        if (units > kLineKept) units = kLineKept;
    } else {
        const int n = platform::AnsiToWide(reinterpret_cast<const char*>(bytes), static_cast<int>(size),
                                           out, static_cast<int>(kLineKept));
        units = n > 0 ? static_cast<std::size_t>(n) : 0;
    }
    FoldCase(out, units);
    return units;
}

bool IsTitleLine(const unsigned char* line, std::size_t size) {
    if (size < kTitleStartSize) return false;
    for (std::size_t i = 0; i < kTitleStartSize; ++i) {
        const auto want = static_cast<unsigned char>(kTitleStart[i]);
        const bool letter = want >= 'A' && want <= 'Z';
        if ((letter ? (line[i] & ~0x20u) : line[i]) != want) return false;
    }
    return true;
}

// Tests entry `number`, whose line starts at `entry`, with the line before it (a title
// where it is an #EXTINF line), and keeps its number when it matches.
void TryEntry(Scan& s, const Line& before, std::uint64_t entry, std::uint32_t number) {
    s.lastTried = number;
    std::size_t titleUnits = 0;
    if (before.known && !before.entry) {
        const std::size_t n = ReadLineAt(s, before.offset);
        const unsigned char* line = s.room->line;
        if (IsTitleLine(line, n)) {
            std::size_t comma = kTitleStartSize;
            while (comma < n && line[comma] != ',') ++comma;
            if (comma < n) titleUnits = DecodeFolded(s, line + comma + 1, n - comma - 1, s.room->title);
        }
    }
    const std::size_t pathUnits = DecodeFolded(s, s.room->line, ReadLineAt(s, entry), s.room->path);
    if (!s.failed && HoldsEveryWord(*s.words, s.room->title, titleUnits, s.room->path, pathUnits)) {
        s.matches->entry[s.matches->count++] = number;
    }
}

// The last line that started in a chunk of starts seen; the one before it when `second`.
Line LastStart(const StartsSeen& seen, bool second) {
    std::uint64_t starts = seen.starts;
    if (second && starts != 0) starts &= ~(std::uint64_t{1} << HighestBit(starts));
    if (starts == 0) return {};
    const unsigned bit = HighestBit(starts);
    return {true, seen.base + bit, ((seen.entries >> bit) & 1) != 0};
}

// The comment line with an anchor is followed by a line that starts at `offset`.
void ResolvePending(Scan& s, std::uint64_t offset, bool entry) {
    if (entry && s.pendingEntry > s.lastTried) TryEntry(s, {true, s.pendingTitle, false}, offset, s.pendingEntry);
}

constexpr unsigned kStillPending = 1;  // a comment line with an anchor runs past the chunk
constexpr unsigned kDone = 2;          // enough matches, or a read failed

// Tries the entries the chunk's candidates belong to: the entry whose line holds one, or
// the entry right after the comment line that holds one.
__attribute__((noinline)) unsigned HandleCandidates(Scan& s, const ChunkCarry& c, std::uint64_t base,
                                                    const ChunkMasks& m) {
    std::uint64_t candidates = m.candidates;
    bool pending = c.pending;
    if (pending) {
        // Up to the next line start, the chunk lies in the pending comment line.
        if (m.starts == 0) return kStillPending;
        const unsigned next = LowestBit(m.starts);
        pending = false;
        ResolvePending(s, base + next, ((m.entries >> next) & 1) != 0);
        candidates &= ~((std::uint64_t{1} << next) - 1);
    }
    while (candidates != 0 && s.matches->count < kMostMatches && !s.failed) {
        const std::uint64_t upTo = BitsUpTo(LowestBit(candidates));
        // The line that holds the candidate, and the line before it.
        const std::uint64_t startsUpTo = m.starts & upTo;
        const StartsSeen here = {base, startsUpTo, m.entries & upTo};
        Line line = LastStart(here, false);
        Line before = LastStart(here, true);
        if (!line.known) {
            line = LastStart(c.recent, false);
            before = LastStart(c.recent, true);
            if (!before.known) before = LastStart(c.older, false);
        } else if (!before.known) {
            before = LastStart(c.recent, false);
        }
        const std::uint32_t entriesUpTo = c.entriesBefore + BitCount(m.entries & upTo);
        const std::uint64_t startsAfter = m.starts & ~upTo;
        if (line.known && line.entry) {
            if (entriesUpTo > s.lastTried) TryEntry(s, before, line.offset, entriesUpTo);
        } else if (line.known) {
            pending = true;
            s.pendingTitle = line.offset;
            s.pendingEntry = entriesUpTo + 1;
            if (startsAfter != 0) {
                const unsigned next = LowestBit(startsAfter);
                pending = false;
                ResolvePending(s, base + next, ((m.entries >> next) & 1) != 0);
            }
        }
        // The line's other candidates add nothing: go on from the next line.
        candidates = startsAfter == 0 ? 0 : candidates & ~((std::uint64_t{1} << LowestBit(startsAfter)) - 1);
    }
    return (pending ? kStillPending : 0) |
           (s.matches->count == kMostMatches || s.failed ? kDone : 0);
}

// Takes a chunk's byte masks (`real` of its bytes from the file, the rest blank padding)
// into the scan; false once the scan is done (Ctrl-Z, enough matches, a failed read).
__attribute__((always_inline)) inline bool AdvanceChunk(Scan& s, ChunkCarry& c, std::uint64_t base,
                                                        const ByteMasks& raw, std::size_t real) {
    // Adding the carriage returns to the blank bytes carries out of each one through the
    // blank run it stands in, onto the first byte of the next line (as line_reader.cpp
    // counts entries).
    const std::uint64_t blank = ~raw.above;
    std::uint64_t partial = 0, sum = 0;
    const bool runOut = __builtin_add_overflow(blank, raw.lineEnds, &partial);
    const bool carryOut = __builtin_add_overflow(partial, c.lineCarry, &sum);
    c.lineCarry = runOut || carryOut;
    std::uint64_t live = ~std::uint64_t{0};
    if (raw.stops != 0) live = (raw.stops & (0 - raw.stops)) - 1;  // before the first Ctrl-Z
    ChunkMasks m;
    m.starts = sum & raw.above & live;
    m.entries = m.starts & ~raw.comments;
    m.candidates = raw.at & ((raw.before << 1) | c.anchorCarry) & raw.above & live;
    c.anchorCarry = (raw.before >> (real - 1)) & 1;
    if (m.candidates != 0 || c.pending) {
        const unsigned flags = HandleCandidates(s, c, base, m);
        c.pending = (flags & kStillPending) != 0;
        if ((flags & kDone) != 0) return false;
    }
    c.entriesBefore += BitCount(m.entries);
    if (m.starts != 0) {
        c.older = c.recent;
        c.recent = {base, m.starts, m.entries};
    }
    return raw.stops == 0;
}

// The chunk at p in the block, or, for the block's last bytes short of a chunk, a copy of
// them padded with blanks (which start no line and hold no anchor).
const unsigned char* ChunkAt(const Scan& s, std::size_t p, unsigned char (&tail)[kChunk],
                             std::size_t* real) {
    *real = s.end - p < kChunk ? s.end - p : kChunk;
    if (*real == kChunk) return s.room->block + p;
    std::memset(tail, kBlank, sizeof tail);
    std::memcpy(tail, s.room->block + p, *real);
    return tail;
}

enum ByteClass : unsigned char {
    kAbove = 1, kLineEnd = 2, kComment = 4, kStop = 8, kBefore = 16, kAt = 32,
};

void ClassifyBytes(const SearchAnchor& anchor, unsigned char (&classes)[256]) {
    for (unsigned b = 0; b < 256; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        classes[b] = static_cast<unsigned char>(
            (byte > kBlank ? kAbove : 0) | (byte == kCarriageReturn ? kLineEnd : 0) |
            (byte == kCommentStart ? kComment : 0) | (byte == kEndOfFile ? kStop : 0) |
            (InByteSet(anchor.before, byte) ? kBefore : 0) | (InByteSet(anchor.at, byte) ? kAt : 0));
    }
}

// The block's chunks, a byte at a time through a table: for processors without SSE2.
bool ScanBlockPortable(Scan& s, const unsigned char (&classes)[256]) {
    unsigned char tail[kChunk];
    ChunkCarry c = s.carry;
    bool more = true;
    for (std::size_t p = 0; more && p < s.end; p += kChunk) {
        std::size_t real = 0;
        const unsigned char* chunk = ChunkAt(s, p, tail, &real);
        ByteMasks m;
        for (unsigned i = 0; i < kChunk; ++i) {
            const unsigned c = classes[chunk[i]];
            const std::uint64_t bit = std::uint64_t{1} << i;
            if (c & kAbove) m.above |= bit;
            if (c & kLineEnd) m.lineEnds |= bit;
            if (c & kComment) m.comments |= bit;
            if (c & kStop) m.stops |= bit;
            if (c & kBefore) m.before |= bit;
            if (c & kAt) m.at |= bit;
        }
        more = AdvanceChunk(s, c, s.blockOffset + p, m, real);
    }
    s.carry = c;
    return more;
}

#if defined(__i386__) || defined(__x86_64__)
// A byte set's probes, each byte repeated across a register.
struct VectorSet {
    __m128i orMask[2];
    __m128i value[2];
};

__attribute__((target("sse2"), always_inline))
inline VectorSet ToVector(const ByteSet& set) {
    VectorSet v;
    for (int i = 0; i < 2; ++i) {
        v.orMask[i] = _mm_set1_epi8(static_cast<char>(set.probe[i].orMask));
        v.value[i] = _mm_set1_epi8(static_cast<char>(set.probe[i].value));
    }
    return v;
}

// Where a set has one probe (a letter in either case, one byte), both are the same.
__attribute__((target("sse2"), always_inline))
inline __m128i InSet(__m128i bytes, const VectorSet& set) {
    const __m128i first = _mm_cmpeq_epi8(_mm_or_si128(bytes, set.orMask[0]), set.value[0]);
    return _mm_or_si128(first, _mm_cmpeq_epi8(_mm_or_si128(bytes, set.orMask[1]), set.value[1]));
}

// The registers the vector scan compares bytes with.
struct VectorConstants {
    __m128i aboveBlank, cr, comment, eof;
    VectorSet before, at;
};

// One chunk sixteen bytes at a time (`real` of its bytes from the file).
__attribute__((target("sse2"), always_inline))
inline bool ScanChunkByVectors(Scan& s, ChunkCarry& c, const VectorConstants& k,
                               const unsigned char* chunk, std::uint64_t base, std::size_t real) {
    __m128i v[4], t[4];
    for (int i = 0; i < 4; ++i) {
        v[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(chunk + 16 * i));
        // Adding 95 with saturation sets a byte's top bit exactly when it is above 32.
        t[i] = _mm_adds_epu8(v[i], k.aboveBlank);
    }
    ByteMasks m;
    m.above = Mask64(t[0], t[1], t[2], t[3]);
    m.lineEnds = Mask64(_mm_cmpeq_epi8(v[0], k.cr), _mm_cmpeq_epi8(v[1], k.cr),
                        _mm_cmpeq_epi8(v[2], k.cr), _mm_cmpeq_epi8(v[3], k.cr));
    m.comments = Mask64(_mm_cmpeq_epi8(v[0], k.comment), _mm_cmpeq_epi8(v[1], k.comment),
                        _mm_cmpeq_epi8(v[2], k.comment), _mm_cmpeq_epi8(v[3], k.comment));
    const __m128i e0 = _mm_cmpeq_epi8(v[0], k.eof), e1 = _mm_cmpeq_epi8(v[1], k.eof);
    const __m128i e2 = _mm_cmpeq_epi8(v[2], k.eof), e3 = _mm_cmpeq_epi8(v[3], k.eof);
    if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(e0, e1), _mm_or_si128(e2, e3))) != 0) {
        m.stops = Mask64(e0, e1, e2, e3);
    }
    // Most chunks lack the bytes of the anchor's rarer set: they hold no candidate, and
    // only what carries into the next chunk is made of the other set.
    const VectorSet& rare = s.anchor.atRarer ? k.at : k.before;
    __m128i r[4];
    for (int i = 0; i < 4; ++i) r[i] = InSet(v[i], rare);
    if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(r[0], r[1]), _mm_or_si128(r[2], r[3]))) != 0) {
        m.before = Mask64(InSet(v[0], k.before), InSet(v[1], k.before),
                          InSet(v[2], k.before), InSet(v[3], k.before));
        m.at = Mask64(InSet(v[0], k.at), InSet(v[1], k.at),
                      InSet(v[2], k.at), InSet(v[3], k.at));
    } else if (s.anchor.atRarer) {
        // The last byte of a whole chunk carries into the next.
        m.before = real == kChunk ? static_cast<std::uint64_t>(_mm_movemask_epi8(InSet(v[3], k.before)))
                                        << 48
                                  : Mask64(InSet(v[0], k.before), InSet(v[1], k.before),
                                           InSet(v[2], k.before), InSet(v[3], k.before));
    } else if (c.anchorCarry != 0) {
        // Only a candidate on the chunk's first byte, after the last one of the chunk before.
        m.at = static_cast<std::uint64_t>(_mm_movemask_epi8(InSet(v[0], k.at)));
    }
    return AdvanceChunk(s, c, base, m, real);
}

// The block's chunks: the whole ones where they stand, then its last bytes padded. The
// client's thread may arrive with a stack aligned to four bytes only, so this realigns it
// for the vector spills.
__attribute__((target("sse2"), force_align_arg_pointer))
bool ScanBlockVector(Scan& s) {
    VectorConstants k;
    k.aboveBlank = _mm_set1_epi8(static_cast<char>(127 - kBlank));
    k.cr = _mm_set1_epi8(static_cast<char>(kCarriageReturn));
    k.comment = _mm_set1_epi8(static_cast<char>(kCommentStart));
    k.eof = _mm_set1_epi8(static_cast<char>(kEndOfFile));
    k.before = ToVector(s.anchor.before);
    k.at = ToVector(s.anchor.at);
    ChunkCarry c = s.carry;
    bool more = true;
    std::size_t p = 0;
    for (; more && s.end - p >= kChunk; p += kChunk) {
        more = ScanChunkByVectors(s, c, k, s.room->block + p,
                                                                s.blockOffset + p, kChunk);
    }
    if (more && p < s.end) {
        alignas(16) unsigned char tail[kChunk];
        std::size_t real = 0;
        const unsigned char* chunk = ChunkAt(s, p, tail, &real);
        more = ScanChunkByVectors(s, c, k, chunk, s.blockOffset + p, real);
    }
    s.carry = c;
    return more;
}

// The best scan this processor runs.
ChunkScan BestScan() {
    unsigned int eax = 0, ebx = 0, ecx = 0, edx = 0;
    const bool sse2 = __get_cpuid(1, &eax, &ebx, &ecx, &edx) != 0 && (edx & bit_SSE2) != 0;
    return sse2 ? ChunkScan::Sse2 : ChunkScan::Portable;
}
#else
ChunkScan BestScan() { return ChunkScan::Portable; }
bool ScanBlockVector(Scan&) { return false; }
#endif

// The next block; false at the end of the file or on a failed read.
bool Fill(Scan& s) {
    s.blockOffset += s.end;
    s.end = 0;
    std::uint32_t read = 0;
    if (!platform::ReadFileBytes(s.file, s.room->block, static_cast<std::uint32_t>(s.capacity), &read)) {
        s.failed = true;
        return false;
    }
    s.end = read;
    return read != 0;
}

// Where the lines start: past a UTF-8 file's byte-order mark, else at the file's start.
// The scan counts offsets from the file's start, so that a line can be read again.
bool StartOfLines(platform::FileHandle file, PlaylistText text, std::uint64_t* start) {
    *start = 0;
    if (!platform::SeekFileTo(file, 0)) return false;
    if (text == PlaylistText::Utf8) {
        unsigned char mark[sizeof kByteOrderMark] = {};
        std::uint32_t read = 0;
        if (!platform::ReadFileBytes(file, mark, sizeof mark, &read)) return false;
        if (read == sizeof mark && std::memcmp(mark, kByteOrderMark, sizeof mark) == 0) *start = sizeof mark;
    }
    return platform::SeekFileTo(file, static_cast<std::int64_t>(*start));
}

}  // namespace

SearchOutcome SearchPlaylistWith(platform::FileHandle file, PlaylistText text,
                                 SearchWords& words, SearchMatches& matches, std::size_t block,
                                 ChunkScan scan) {
    matches.count = 0;
    platform::HeapBuffer memory;
    if (!memory.allocate(sizeof(SearchRoom))) return SearchOutcome::NoMemory;
    Scan s;
    s.file = file;
    s.text = text;
    s.words = &words;
    s.matches = &matches;
    s.room = static_cast<SearchRoom*>(memory.data());
    s.capacity = block == 0 ? 1 : block < kSearchBlock ? block : kSearchBlock;
    FoldAsciiTable(s.asciiFold);
    if (!StartOfLines(file, text, &s.blockOffset)) return SearchOutcome::Unreadable;

    const ChunkScan best = BestScan();
    if (static_cast<int>(scan) > static_cast<int>(best)) scan = best;
    unsigned char classes[256];
    bool first = true;
    while (Fill(s)) {
        if (first) {
            // The anchor is chosen by how often its bytes stand in the first block.
            s.anchor = ChooseSearchAnchor(words, text, s.room->block, s.end, s.room->anchor);
            ClassifyBytes(s.anchor, classes);
            first = false;
        }
        if (!(scan != ChunkScan::Portable ? ScanBlockVector(s) : ScanBlockPortable(s, classes))) break;
    }
    return s.failed ? SearchOutcome::Unreadable : SearchOutcome::Searched;
}

SearchOutcome SearchPlaylist(platform::FileHandle file, PlaylistText text, SearchWords& words,
                             SearchMatches& matches) {
    return SearchPlaylistWith(file, text, words, matches, kSearchBlock, ChunkScan::Sse2);
}

}  // namespace zel
