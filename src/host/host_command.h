// The shape of every export the chat client calls, and the one way a command answers.
#pragma once

#include <cstddef>

#include "host/call_allowance.h"

#if defined(__i386__)
#define ZEL_STDCALL __attribute__((stdcall))
#else
#define ZEL_STDCALL
#endif

// A command export: six 32-bit arguments, of which only the data buffer is used; the
// callee pops them. The client's main window, active window, second buffer, show flag
// and no-pause flag are accepted and ignored. The frame marks where each command's call
// begins and ends, for its allowance of waiting, around the body that follows the macro.
#define ZEL_HOST_COMMAND_SIGNATURE(name) \
    extern "C" int ZEL_STDCALL name(void*, void*, char* data, char*, int, int)
#define ZEL_HOST_COMMAND(name)                                                     \
    static int name##_body(char* data);                                            \
    ZEL_HOST_COMMAND_SIGNATURE(name) {                                             \
        zel::BeginCall();                                                          \
        const int result = name##_body(data);                                      \
        zel::EndCall();                                                            \
        return result;                                                             \
    }                                                                              \
    static int name##_body([[maybe_unused]] char* data)

namespace zel {

// The client's code for "the data buffer holds the answer"; every command returns it.
constexpr int kResultAnswer = 3;

// The client's data buffer holds 900 bytes on every version; an answer is cut to fit.
constexpr std::size_t kDataCapacity = 900;
constexpr std::size_t kMaxAnswer = kDataCapacity - 1;

// Copies text into data up to its first zero byte (or its end), at most kMaxAnswer
// bytes, and ends it with a zero byte. Nothing after that byte is written.
void WriteText(char* data, const char* text, std::size_t size);

// The same for a zero-terminated text.
void WriteText(char* data, const char* text);

}  // namespace zel
