#include "player/player_text.h"

#include "platform/handles.h"
#include "player/player_link.h"

namespace zel {
namespace {

// What a player that has no text to give answers: 0 for a failure, 1 for a request that
// its version does not know.
bool IsAddress(std::int32_t answer) { return answer != 0 && answer != 1; }

template <typename Char>
std::ptrdiff_t ReadText(std::int32_t code, std::int32_t argument, Char* out,
                        std::size_t capacity) {
    if (capacity > 0) out[0] = 0;
    const std::int32_t answer = SendPlayerRequest(code, argument);
    if (!IsAddress(answer)) return -1;
    // The player is a 32-bit program: its address is the answer's 32 bits, whatever sign
    // the message result was given on the way.
    std::uint64_t at = static_cast<std::uint32_t>(answer);

    platform::ScopedProcess process(platform::OpenWindowProcess(FindPlayerWindow()));
    if (!process) return -1;

    // Each read ends at a page boundary, so no read reaches into a page after the text.
    // A character split across two pages is put together from both.
    unsigned char page[platform::kMemoryPage];
    unsigned char partial[sizeof(Char)] = {};
    std::size_t partialBytes = 0;
    std::size_t length = 0;
    for (;;) {
        const std::size_t chunk = platform::kMemoryPage - static_cast<std::size_t>(at % platform::kMemoryPage);
        if (!platform::ReadProcessBytes(process.get(), at, page, chunk)) return -1;
        at += chunk;
        for (std::size_t i = 0; i < chunk; ++i) {
            partial[partialBytes++] = page[i];
            if (partialBytes < sizeof(Char)) continue;
            partialBytes = 0;
            Char c = 0;
            for (std::size_t b = 0; b < sizeof(Char); ++b) {
                c = static_cast<Char>(c | (static_cast<unsigned>(partial[b]) << (8 * b)));
            }
            if (c == 0) {
                if (capacity > 0) out[length < capacity ? length : capacity - 1] = 0;
                return static_cast<std::ptrdiff_t>(length);
            }
            if (length == kLongestPlayerText) return -1;
            if (length + 1 < capacity) out[length] = c;
            ++length;
        }
    }
}

}  // namespace

std::ptrdiff_t AskPlayerText(std::int32_t code, std::int32_t argument, char16_t* out,
                             std::size_t capacity) {
    return ReadText(code, argument, out, capacity);
}

std::ptrdiff_t AskPlayerText(std::int32_t code, std::int32_t argument, char* out,
                             std::size_t capacity) {
    return ReadText(code, argument, out, capacity);
}

}  // namespace zel
