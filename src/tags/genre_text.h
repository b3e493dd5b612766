// A genre as text, from any tag format, made readable.
#pragma once

#include "tags/field_text.h"

namespace zel {

// Replaces a genre given by number with its name: "17", "(17)" and "(17)Rock" all become
// "Rock" (a name after the number only refines it). "(RX)" becomes "Remix" and "(CR)"
// "Cover", and "((" at the start stands for one "(". A number past the genre table
// ("(200)") and any other text stay as they are. Blanks after a number are allowed.
void NormalizeGenre(FieldText& text);

}  // namespace zel
