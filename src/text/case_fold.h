// Case folding: text is compared without regard to case by lower-casing both sides as the
// system lower-cases UTF-16 (platform::LowerCaseWide): Unicode's simple lower-case
// mappings, for every script the system knows, not only ASCII.
//
// A few characters fold onto ASCII letters (U+0130 onto "i", the Kelvin sign U+212A onto
// "k"), so a search that looks at raw bytes first must learn from the fold itself which
// characters become a given one; ForEachUnitFoldingTo below asks it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zel {

// Folds count units in place.
void FoldCase(char16_t* text, std::size_t count);

// What each ASCII unit folds to.
void FoldAsciiTable(char16_t (&table)[128]);

// Calls found(unit, folded) for every UTF-16 unit outside the surrogates whose folded
// form `wanted(folded)` accepts, the units that fold to themselves among them. The units
// are folded in runs through scratch, which has room for `room` units (at least one).
// Surrogates are no characters on their own and are left out.
template <typename Wanted, typename Found>
void ForEachUnitFoldingTo(Wanted wanted, Found found, char16_t* scratch, std::size_t room) {
    constexpr std::uint32_t kSurrogates = 0xD800, kPastSurrogates = 0xE000, kPastUnits = 0x10000;
    std::uint32_t unit = 0;
    while (unit < kPastUnits) {
        if (unit == kSurrogates) unit = kPastSurrogates;
        const std::uint32_t limit = unit < kSurrogates ? kSurrogates : kPastUnits;
        const std::uint32_t count = limit - unit < room ? limit - unit : static_cast<std::uint32_t>(room);
        for (std::uint32_t i = 0; i < count; ++i) scratch[i] = static_cast<char16_t>(unit + i);
        FoldCase(scratch, count);
        for (std::uint32_t i = 0; i < count; ++i) {
            if (wanted(scratch[i])) found(static_cast<char16_t>(unit + i), scratch[i]);
        }
        unit += count;
    }
}

}  // namespace zel
