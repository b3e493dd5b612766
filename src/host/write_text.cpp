#include "host/host_command.h"

namespace zel {

void WriteText(char* data, const char* text, std::size_t size) {
    std::size_t n = 0;
    while (n < size && n < kMaxAnswer && text[n] != '\0') {
        data[n] = text[n];
        ++n;
    }
    data[n] = '\0';
}

void WriteText(char* data, const char* text) {
    WriteText(data, text, kMaxAnswer);
}

}  // namespace zel
