// Every answer is one line: the fuzzers hand what a reader gives to the answer writer,
// as the queries do, and abort when a client of either kind gets a control character.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "host/client_version.h"
#include "host/host_command.h"
#include "text/answer_text.h"

namespace zel::testing {

// Calls write(data) as a mIRC 6 client (ANSI) and as a 7.x one (UTF-8, where C2 80 to
// C2 9F are controls too). For a trimmed value, an answer short enough not to have been
// cut has no blank at either end.
template <typename Write>
void CheckAnswersAreOneLine(Write write, bool trimmed) {
    for (std::uint32_t version : {6u, 7u}) {
        RememberClientVersion(version);
        char data[kDataCapacity];
        write(data);
        const auto* answer = reinterpret_cast<const unsigned char*>(data);
        const std::size_t length = std::strlen(data);
        bool bad = trimmed && length > 0 && length < kMaxAnswer - 3 &&
                   (answer[0] == ' ' || answer[length - 1] == ' ');
        for (std::size_t i = 0; i < length; ++i) {
            bad = bad || IsAnsiControlByte(answer[i]) ||
                  (version == 7 && answer[i] == 0xC2 && answer[i + 1] >= 0x80 && answer[i + 1] <= 0x9F);
        }
        if (!bad) continue;
        std::fprintf(stderr, "check failed: the answer to a %u.x client is not one trimmed line\n", version);
        std::abort();
    }
}

}  // namespace zel::testing
