#include "text/case_fold.h"

#include "platform/platform.h"

namespace zel {

void FoldCase(char16_t* text, std::size_t count) {
    if (count != 0) platform::LowerCaseWide(text, count);
}

void FoldAsciiTable(char16_t (&table)[128]) {
    for (std::size_t i = 0; i < 128; ++i) table[i] = static_cast<char16_t>(i);
    FoldCase(table, 128);
}

}  // namespace zel
