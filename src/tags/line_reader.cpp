#include "tags/line_reader.h"

#include <cstring>

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

bool ProcessorHasSse2() {
    unsigned int eax = 0, ebx = 0, ecx = 0, edx = 0;
    return __get_cpuid(1, &eax, &ebx, &ecx, &edx) != 0 && (edx & bit_SSE2) != 0;
}
#else
bool ProcessorHasSse2() { return false; }
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
    reader.vectorScan = ProcessorHasSse2();
    return reader;
}

LineReader MemoryLineReader(const unsigned char* bytes, std::size_t size) {
    LineReader reader;
    // The reader only reads through buffer when file is null.
    reader.buffer = const_cast<unsigned char*>(bytes);
    reader.capacity = size;
    reader.end = size;
    reader.vectorScan = ProcessorHasSse2();
    return reader;
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
