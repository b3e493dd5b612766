// Every answer is one line: the fuzzers hand what a reader gives to the answer writer,
// as the queries do, and abort when either kind of client gets a control character (in
// UTF-8, C2 80 to C2 9F too) or, for a trimmed value, an uncut answer with a blank at
// either end.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "host/client_version.h"
#include "host/host_command.h"
#include "text/answer_text.h"

namespace zel::testing {

template <typename Write>
void CheckAnswersAreOneLine(Write write, bool trimmed) {
    for (std::uint32_t version : {6u, 7u}) {  // mIRC 6 (ANSI) and 7 (UTF-8)
        RememberClientVersion(version);
        char data[kDataCapacity];
        write(data);
        const auto* a = reinterpret_cast<const unsigned char*>(data);
        const std::size_t n = std::strlen(data);
        bool bad = trimmed && n > 0 && n < kMaxAnswer - 3 && (a[0] == ' ' || a[n - 1] == ' ');
        for (std::size_t i = 0; i < n; ++i) {
            bad = bad || IsAnsiControlByte(a[i]) || (version == 7 && a[i] == 0xC2 && a[i + 1] <= 0x9F);
        }
        if (!bad) continue;
        std::fprintf(stderr, "check failed: not one trimmed line for %u.x\n", version);
        std::abort();
    }
}

}  // namespace zel::testing
