#include "track/search_anchor.h"

#include "platform/platform.h"
#include "text/case_fold.h"
#include "text/utf8.h"
#include "track/bit_masks.h"

namespace zel {
namespace {

constexpr unsigned char kTooManySpellings = kMostSpellings + 1;
// A sample of some hundred entries tells the rare bytes from the common ones.
constexpr std::size_t kLargestSample = 16 * 1024;

// Characters no anchor stands on: surrogates (a character past U+FFFF folds as a pair of
// them), and what a decoder puts for bytes it cannot read (U+FFFD; a code page's
// conversion may put "?"), which no spelling's bytes show.
bool MayAnchor(char16_t c, PlaylistText text) {
    return (c < 0xD800 || c > 0xDFFF) && c != 0xFFFD && (text == PlaylistText::Utf8 || c != u'?');
}

bool Wanted(const AnchorRoom& room, char16_t c) {
    return ((room.wanted[c >> 6] >> (c & 63)) & 1) != 0;
}

// The index of a marked character in room.characters (count of them, in order); -1 for
// one that is not there.
std::ptrdiff_t IndexOf(const AnchorRoom& room, std::size_t count, char16_t c) {
    std::size_t low = 0, high = count;
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (room.characters[middle] < c) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return low < count && room.characters[low] == c ? static_cast<std::ptrdiff_t>(low) : -1;
}

bool DoubleByteCodePage() {
    for (unsigned byte = 0x80; byte <= 0xFF; ++byte) {
        if (platform::IsAnsiLeadByte(static_cast<unsigned char>(byte))) return true;
    }
    return false;
}

constexpr int kUnknownBytes = -1;

// The bytes of one spelling in the file's encoding. 0 when the file cannot hold it (its
// code page cannot write it); kUnknownBytes where a double-byte code page may write a
// character in more than one way.
int Spell(char16_t unit, PlaylistText text, bool doubleByte, unsigned char (&bytes)[4]) {
    if (text == PlaylistText::Utf8) return static_cast<int>(EncodeUtf8(unit, bytes));
    if (doubleByte && unit >= 0x80) return kUnknownBytes;
    char ansi[4];
    const int size = platform::WideToAnsi(&unit, 1, ansi, sizeof ansi);
    char16_t back[2] = {};
    // A character the code page lacks comes out as its default character, not itself.
    if (size <= 0 || size > static_cast<int>(sizeof ansi) || platform::AnsiToWide(ansi, size, back, 2) != 1 || back[0] != unit) return 0;
    for (int i = 0; i < size; ++i) bytes[i] = static_cast<unsigned char>(ansi[i]);
    return size;
}

// The set of count bytes as at most two probes; false when it takes more.
bool MakeByteSet(const unsigned char* bytes, std::size_t count, ByteSet* set) {
    *set = kNoByte;
    std::size_t probes = 0;
    bool taken[kMostSpellings] = {};
    for (std::size_t i = 0; i < count; ++i) {
        if (taken[i]) continue;
        ByteProbe probe = {0, bytes[i]};
        for (std::size_t j = i + 1; j < count; ++j) {
            if (bytes[j] == bytes[i]) taken[j] = true;
            if (bytes[j] == (bytes[i] ^ 0x20)) {
                taken[j] = true;
                probe = {0x20, static_cast<unsigned char>(bytes[i] | 0x20)};
            }
        }
        if (probes == 2) return false;
        set->probe[probes++] = probe;
    }
    if (probes == 1) set->probe[1] = set->probe[0];
    return true;
}

// The anchors with the lowest estimates, in order.
constexpr std::size_t kShortListed = 8;
struct ShortList {
    SearchAnchor anchor[kShortListed];
    std::uint64_t estimate[kShortListed];
    std::size_t count = 0;
};

void Offer(ShortList& list, const SearchAnchor& anchor, std::uint64_t estimate) {
    std::size_t at = list.count;
    while (at > 0 && list.estimate[at - 1] > estimate) --at;
    if (at == kShortListed) return;
    if (list.count < kShortListed) ++list.count;
    for (std::size_t i = list.count - 1; i > at; --i) {
        list.anchor[i] = list.anchor[i - 1];
        list.estimate[i] = list.estimate[i - 1];
    }
    list.anchor[at] = anchor;
    list.estimate[at] = estimate;
}

// How often the anchor stands in the sample.
std::uint64_t HitsInSample(const SearchAnchor& anchor, const unsigned char* sample, std::size_t size) {
    bool before[256], at[256];
    for (unsigned b = 0; b < 256; ++b) {
        before[b] = InByteSet(anchor.before, static_cast<unsigned char>(b));
        at[b] = InByteSet(anchor.at, static_cast<unsigned char>(b));
    }
    std::uint64_t hits = 0;
    bool afterBefore = false;
    for (std::size_t i = 0; i < size; ++i) {
        if (afterBefore && at[sample[i]]) ++hits;
        afterBefore = before[sample[i]];
    }
    return hits;
}

std::uint64_t CountIn(const ByteSet& set, const std::uint32_t (&byteCounts)[256]) {
    std::uint64_t count = 0;
    for (unsigned byte = 0; byte < 256; ++byte) {
        if (InByteSet(set, static_cast<unsigned char>(byte))) count += byteCounts[byte];
    }
    return count;
}

// The byte sets of each marked character's spellings, and how often they stand.
void DescribeCharacters(AnchorRoom& room, std::size_t count, PlaylistText text,
                        const std::uint32_t (&byteCounts)[256]) {
    const bool doubleByte = text == PlaylistText::Ansi && DoubleByteCodePage();
    for (std::size_t c = 0; c < count; ++c) {
        room.usable[c] = room.spellingCount[c] <= kMostSpellings;
        unsigned char firsts[kMostSpellings], lasts[kMostSpellings];
        std::size_t n = 0;
        for (std::size_t s = 0; room.usable[c] && s < room.spellingCount[c]; ++s) {
            unsigned char bytes[4];
            const int size = Spell(room.spellings[c][s], text, doubleByte, bytes);
            if (size == kUnknownBytes) room.usable[c] = false;
            if (size <= 0) continue;
            firsts[n] = bytes[0];
            lasts[n] = bytes[size - 1];
            ++n;
        }
        room.usable[c] = room.usable[c] && MakeByteSet(firsts, n, &room.first[c]) &&
                         MakeByteSet(lasts, n, &room.last[c]);
        if (!room.usable[c]) continue;
        room.firstCount[c] = CountIn(room.first[c], byteCounts);
        room.lastCount[c] = CountIn(room.last[c], byteCounts);
    }
}

}  // namespace

SearchAnchor ChooseSearchAnchor(const SearchWords& words, PlaylistText text,
                                const unsigned char* sample, std::size_t size, AnchorRoom& room) {
    if (size > kLargestSample) size = kLargestSample;
    std::uint32_t byteCounts[256] = {};
    for (std::size_t i = 0; i < size; ++i) ++byteCounts[sample[i]];

    // The characters of the words, in order.
    for (std::uint64_t& bits : room.wanted) bits = 0;
    for (std::size_t w = 0; w < words.count; ++w) {
        for (std::size_t i = 0; i < words.length[w]; ++i) {
            const char16_t c = words.units[words.start[w] + i];
            if (MayAnchor(c, text)) room.wanted[c >> 6] |= std::uint64_t{1} << (c & 63);
        }
    }
    std::size_t count = 0;
    for (std::size_t block = 0; block < sizeof room.wanted / sizeof room.wanted[0]; ++block) {
        for (std::uint64_t bits = room.wanted[block]; bits != 0; bits &= bits - 1) {
            room.characters[count] = static_cast<char16_t>(block * 64 + LowestBit(bits));
            room.spellingCount[count] = 0;
            ++count;
        }
    }

    // Every unit that folds onto one of them, from the fold itself.
    ForEachUnitFoldingTo(
        [&room](char16_t folded) { return Wanted(room, folded); },
        [&room, count](char16_t unit, char16_t folded) {
            const std::ptrdiff_t c = IndexOf(room, count, folded);
            if (c < 0) return;
            unsigned char& n = room.spellingCount[c];
            if (n < kMostSpellings) room.spellings[c][n] = unit;
            if (n < kTooManySpellings) ++n;
        },
        room.scratch, sizeof room.scratch / sizeof room.scratch[0]);
    DescribeCharacters(room, count, text, byteCounts);

    // The pairs whose bytes would stand together least often if they stood apart at random
    // (a word of one character: its first bytes, wherever they stand)...
    ShortList list;
    for (std::size_t w = 0; w < words.count; ++w) {
        const char16_t* word = words.units + words.start[w];
        const std::size_t length = words.length[w];
        for (std::size_t i = 0; i < length; ++i) {
            const std::ptrdiff_t at = IndexOf(room, count, word[i]);
            if (at < 0 || !room.usable[at]) continue;
            if (length == 1) {
                Offer(list, {kEveryByte, room.first[at], true}, room.firstCount[at] * (size + 1));
                continue;
            }
            if (i == 0) continue;
            const std::ptrdiff_t before = IndexOf(room, count, word[i - 1]);
            if (before < 0 || !room.usable[before]) continue;
            Offer(list, {room.last[before], room.first[at], room.firstCount[at] < room.lastCount[before]},
                  room.lastCount[before] * room.firstCount[at]);
        }
    }
    // ... and of those the one that stands least often in the sample: bytes of one script
    // stand together far more often than at random.
    SearchAnchor best = {kEveryByte, kEveryByte, false};
    std::uint64_t fewest = ~std::uint64_t{0};
    for (std::size_t i = 0; i < list.count; ++i) {
        const std::uint64_t hits = HitsInSample(list.anchor[i], sample, size);
        if (hits < fewest) {
            fewest = hits;
            best = list.anchor[i];
        }
    }
    return best;
}

}  // namespace zel
