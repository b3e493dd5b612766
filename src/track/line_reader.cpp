#include "track/line_reader.h"

#include <cstring>

#include "track/bit_masks.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#include <emmintrin.h>
#endif

namespace zel {
namespace {

constexpr unsigned char kCarriageReturn = 13;
constexpr unsigned char kLineFeed = 10;
constexpr unsigned char kEndOfFile = 26;  // Ctrl-Z
constexpr unsigned char kBlank = 32;
constexpr unsigned char kCommentStart = '#';

// Makes at least one unread byte available; false when the file has ended.
bool Fill(LineReader& reader) {
    if (reader.position < reader.end) return true;
    if (reader.ended || reader.file == nullptr) {
        reader.ended = true;
        return false;
    }
    std::uint32_t read = 0;
    const auto request = static_cast<std::uint32_t>(reader.capacity);
    if (!platform::ReadFileBytes(reader.file, reader.buffer, request, &read) || read == 0) {
        // A read error is taken as the end of the file: what was read so far stands.
        reader.ended = true;
        return false;
    }
    reader.position = 0;
    reader.end = read;
    return true;
}

// Length of the run before the first carriage return or Ctrl-Z in [from, to), four bytes
// at a time for processors without SSE2.
std::size_t RunBeforeLineEndPortable(const unsigned char* from, const unsigned char* to) {
    const unsigned char* p = from;
    constexpr std::uint32_t kOnes = 0x01010101u;
    constexpr std::uint32_t kHighs = 0x80808080u;
    // A word holds a stop byte exactly when one of its bytes XORed with it is zero.
    while (to - p >= 4) {
        std::uint32_t word;
        std::memcpy(&word, p, sizeof word);
        const std::uint32_t cr = word ^ (kOnes * kCarriageReturn);
        const std::uint32_t eof = word ^ (kOnes * kEndOfFile);
        const std::uint32_t hit = ((cr - kOnes) & ~cr) | ((eof - kOnes) & ~eof);
        if ((hit & kHighs) != 0) break;
        p += 4;
    }
    while (p < to && *p != kCarriageReturn && *p != kEndOfFile) ++p;
    return static_cast<std::size_t>(p - from);
}

#if defined(__i386__) || defined(__x86_64__)
// The same sixteen bytes at a time. The client's thread may arrive with a stack aligned
// to four bytes only, so the function realigns it for any vector spill.
__attribute__((target("sse2"), force_align_arg_pointer))
std::size_t RunBeforeLineEndSse2(const unsigned char* from, const unsigned char* to) {
    const unsigned char* p = from;
    const __m128i cr = _mm_set1_epi8(static_cast<char>(kCarriageReturn));
    const __m128i eof = _mm_set1_epi8(static_cast<char>(kEndOfFile));
    while (to - p >= 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i stops = _mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, eof));
        const int mask = _mm_movemask_epi8(stops);
        if (mask != 0) return static_cast<std::size_t>(p - from) + __builtin_ctz(mask);
        p += 16;
    }
    return static_cast<std::size_t>(p - from) + RunBeforeLineEndPortable(p, to);
}

// Entries that start in one 64-byte chunk, as one bit a byte. It takes three masks:
//   blank:      bytes of 32 or less (carriage returns, line feeds and Ctrl-Z among them);
//   lineEnds:   carriage returns;
//   entryBytes: bytes above 32 but "#".
// Adding lineEnds to blank carries out of each carriage return through the blank run it
// stands in, and the carry comes to rest on the first byte after that run: the first byte
// of the next line. Of the sum, the bits of entryBytes are the lines that are not blank
// and not comments. A carry out of the top bit is a run still open at the chunk's end and
// goes into the next chunk; the carry into the first chunk is the line that starts the
// file. When the chunk holds a Ctrl-Z, *stop has a bit at it and every byte after it.
__attribute__((target("sse2"), always_inline))
inline std::uint64_t EntriesInChunk(const unsigned char* chunk, std::uint64_t& carry,
                                    std::uint64_t* stop) {
    const __m128i aboveBlank = _mm_set1_epi8(static_cast<char>(127 - kBlank));
    const __m128i cr = _mm_set1_epi8(static_cast<char>(kCarriageReturn));
    const __m128i eof = _mm_set1_epi8(static_cast<char>(kEndOfFile));
    const __m128i comment = _mm_set1_epi8(static_cast<char>(kCommentStart));
    const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(chunk));
    const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(chunk + 16));
    const __m128i v2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(chunk + 32));
    const __m128i v3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(chunk + 48));
    // Adding 95 with saturation sets a byte's top bit exactly when it is above 32.
    const __m128i t0 = _mm_adds_epu8(v0, aboveBlank);
    const __m128i t1 = _mm_adds_epu8(v1, aboveBlank);
    const __m128i t2 = _mm_adds_epu8(v2, aboveBlank);
    const __m128i t3 = _mm_adds_epu8(v3, aboveBlank);
    const std::uint64_t blank = ~Mask64(t0, t1, t2, t3);
    const std::uint64_t lineEnds = Mask64(_mm_cmpeq_epi8(v0, cr), _mm_cmpeq_epi8(v1, cr),
                                          _mm_cmpeq_epi8(v2, cr), _mm_cmpeq_epi8(v3, cr));
    const std::uint64_t entryBytes = Mask64(_mm_andnot_si128(_mm_cmpeq_epi8(v0, comment), t0),
                                            _mm_andnot_si128(_mm_cmpeq_epi8(v1, comment), t1),
                                            _mm_andnot_si128(_mm_cmpeq_epi8(v2, comment), t2),
                                            _mm_andnot_si128(_mm_cmpeq_epi8(v3, comment), t3));
    const __m128i e0 = _mm_cmpeq_epi8(v0, eof);
    const __m128i e1 = _mm_cmpeq_epi8(v1, eof);
    const __m128i e2 = _mm_cmpeq_epi8(v2, eof);
    const __m128i e3 = _mm_cmpeq_epi8(v3, eof);

    std::uint64_t partial = 0;
    std::uint64_t sum = 0;
    const bool runOut = __builtin_add_overflow(blank, lineEnds, &partial);
    const bool carryOut = __builtin_add_overflow(partial, carry, &sum);
    carry = runOut || carryOut;
    *stop = 0;
    if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(e0, e1), _mm_or_si128(e2, e3))) != 0) {
        const std::uint64_t stops = Mask64(e0, e1, e2, e3);
        *stop = 0 - (stops & (0 - stops));
    }
    return sum & entryBytes;
}

// Passes over whole lines a chunk at a time with no branch per line.
// kCountInstruction: count a chunk's entries with the processor's popcnt.
template <bool kCountInstruction>
__attribute__((target("sse2"), always_inline))
inline bool SkipToEntryByMasks(LineReader& reader, std::int32_t number) {
    auto left = static_cast<std::uint32_t>(number);  // entries still to pass, the wanted one included
    std::uint64_t carry = 1;
    // The last bytes of a block, short of a chunk, padded with blanks: a pad byte starts no
    // line, and a carry that reaches the pad leaves through the top bit into the next block.
    alignas(16) unsigned char tail[64];

    while (Fill(reader)) {
        const unsigned char* const base = reader.buffer;
        const unsigned char* p = base + reader.position;
        const unsigned char* const end = base + reader.end;
        while (p < end) {
            const unsigned char* chunk = p;
            if (end - p < 64) {
                const __m128i blanks = _mm_set1_epi8(static_cast<char>(kBlank));
                for (std::size_t i = 0; i < 64; i += 16) {
                    _mm_store_si128(reinterpret_cast<__m128i*>(tail + i), blanks);
                }
                std::memcpy(tail, p, static_cast<std::size_t>(end - p));
                chunk = tail;
            }
            std::uint64_t stop;
            // Only lines that start before a Ctrl-Z exist.
            std::uint64_t entries = EntriesInChunk(chunk, carry, &stop) & ~stop;
            unsigned found;
            if constexpr (kCountInstruction) {
                found = static_cast<unsigned>(__builtin_popcountll(entries));
            } else {
                found = BitCount(entries);
            }
            if (found >= left) {
                while (--left != 0) entries &= entries - 1;
                reader.position = static_cast<std::size_t>(p - base) + LowestBit(entries);
                return true;
            }
            left -= found;
            if (stop != 0) {
                reader.ended = true;
                reader.position = reader.end;
                return false;
            }
            p += 64;
        }
        reader.position = reader.end;
    }
    return false;
}

// The client's thread may arrive with a stack aligned to four bytes only, so these realign
// it for the vector spills.
__attribute__((target("sse2"), force_align_arg_pointer))
bool SkipToEntrySse2(LineReader& reader, std::int32_t number) {
    return SkipToEntryByMasks<false>(reader, number);
}

__attribute__((target("sse2,popcnt"), force_align_arg_pointer))
bool SkipToEntrySse2Popcnt(LineReader& reader, std::int32_t number) {
    return SkipToEntryByMasks<true>(reader, number);
}

void ChooseScans(LineReader& reader) {
    unsigned int eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0) return;
    reader.vectorScan = (edx & bit_SSE2) != 0;
    reader.countInstruction = reader.vectorScan && (ecx & bit_POPCNT) != 0;
}
#else
void ChooseScans(LineReader&) {}
#endif

std::size_t RunBeforeLineEnd(const LineReader& reader, const unsigned char* from,
                             const unsigned char* to) {
#if defined(__i386__) || defined(__x86_64__)
    if (reader.vectorScan) return RunBeforeLineEndSse2(from, to);
#endif
    (void)reader;
    return RunBeforeLineEndPortable(from, to);
}

std::size_t SaturatingAdd(std::size_t a, std::size_t b) {
    return a + b < a ? static_cast<std::size_t>(-1) : a + b;
}

}  // namespace

LineReader FileLineReader(platform::FileHandle file, unsigned char* buffer, std::size_t capacity) {
    LineReader reader;
    reader.file = file;
    reader.buffer = buffer;
    reader.capacity = capacity;
    ChooseScans(reader);
    return reader;
}

LineReader MemoryLineReader(const unsigned char* bytes, std::size_t size) {
    LineReader reader;
    // The reader only reads through buffer when file is null.
    reader.buffer = const_cast<unsigned char*>(bytes);
    reader.capacity = size;
    reader.end = size;
    ChooseScans(reader);
    return reader;
}

bool SkipToEntry(LineReader& reader, std::int32_t number) {
    if (number < 1) {
        reader.position = reader.end;
        reader.ended = true;
        return false;
    }
#if defined(__i386__) || defined(__x86_64__)
    if (reader.vectorScan) {
        return reader.countInstruction ? SkipToEntrySse2Popcnt(reader, number)
                                       : SkipToEntrySse2(reader, number);
    }
#endif
    // Line by line: find where each line starts, look at its first byte, read to its end.
    std::int32_t passed = 0;
    while (SkipToLine(reader)) {
        if (PeekLineStart(reader) != kCommentStart && ++passed == number) return true;
        ReadLine(reader, nullptr, 0);
    }
    return false;
}

bool SkipToLine(LineReader& reader) {
    while (Fill(reader)) {
        const unsigned char byte = reader.buffer[reader.position];
        if (byte == kEndOfFile) {
            reader.ended = true;
            reader.position = reader.end;
            return false;
        }
        if (byte > kBlank) return true;
        ++reader.position;
    }
    return false;
}

unsigned char PeekLineStart(const LineReader& reader) {
    return reader.buffer[reader.position];
}

std::size_t ReadLine(LineReader& reader, char* out, std::size_t capacity) {
    std::size_t length = 0;
    std::size_t kept = 0;
    const std::size_t keepLimit = out != nullptr && capacity > 0 ? capacity - 1 : 0;
    while (Fill(reader)) {
        const unsigned char* from = reader.buffer + reader.position;
        const std::size_t run = RunBeforeLineEnd(reader, from, reader.buffer + reader.end);
        if (kept < keepLimit) {
            const std::size_t take = run < keepLimit - kept ? run : keepLimit - kept;
            std::memcpy(out + kept, from, take);
            kept += take;
        }
        length = SaturatingAdd(length, run);
        reader.position += run;
        if (reader.position == reader.end) continue;  // the line goes on in the next block

        if (reader.buffer[reader.position] == kEndOfFile) {
            reader.ended = true;
            reader.position = reader.end;
        } else {
            ++reader.position;  // the carriage return
            if (Fill(reader) && reader.buffer[reader.position] == kLineFeed) ++reader.position;
        }
        break;
    }
    if (out != nullptr && capacity > 0) out[kept] = '\0';
    return length;
}

}  // namespace zel
