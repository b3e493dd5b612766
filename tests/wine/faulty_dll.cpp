// A DLL that gets the client's conventions wrong on purpose, one export per mistake, so the
// harness can show that client_call notices each one.
#include <windows.h>

#include <cstring>

extern "C" {

// Clears the keep byte, as it should, but also scribbles on the byte after it.
__declspec(dllexport) void __stdcall LoadDll(unsigned char* record) {
    record[8] = 0;
    record[9] = 7;
}

__declspec(dllexport) int __stdcall good_command(HWND, HWND, char* data, char*, BOOL, BOOL) {
    std::strcpy(data, "fine");
    return 3;
}

// Declared with the wrong convention: leaves its 24 bytes of arguments on the stack.
__declspec(dllexport) int __cdecl cdecl_command(HWND, HWND, char* data, char*, BOOL, BOOL) {
    data[0] = 'c';
    return 3;
}

// Writes an answer and then garbage after its terminating zero.
__declspec(dllexport) int __stdcall tail_writer(HWND, HWND, char* data, char*, BOOL, BOOL) {
    std::memcpy(data, "ok\0X", 4);
    return 3;
}

__declspec(dllexport) int __stdcall parms_writer(HWND, HWND, char*, char* parms, BOOL, BOOL) {
    parms[0] = 'p';
    return 3;
}

// Writes one byte past the client's 900-byte buffer.
__declspec(dllexport) int __stdcall overrun(HWND, HWND, char* data, char*, BOOL, BOOL) {
    std::memset(data, 'o', 901);
    return 3;
}

// The exports below come from faulty.def alone (no dllexport), so each has one name and
// no decorated twin. The static return check of the 32-bit DLL must refuse each one; the
// Wine harness does not call them.

// Takes five arguments where the client pushes six: on x86 it pops 20 bytes, not 24.
int __stdcall short_command(HWND, HWND, char* data, char*, BOOL) {
    data[0] = 's';
    return 3;
}

#if defined(__i386__)
}  // extern "C"

// Hand-written so that the compiler cannot tidy them up.
//   split_return_command: pops 24 bytes when data is set, but with no data it jumps to a
//     shared tail that returns with a plain ret, leaving the arguments on the stack; a
//     check that looked only at the export's first ret would pass it.
//   register_jump_command: reaches its ret $0x18 through a jump to an address held in a
//     register, which is sound at run time but cannot be followed by reading the code.
asm(R"(
    .text
    .globl _split_return_command
_split_return_command:
    movl 12(%esp), %eax
    testl %eax, %eax
    je faulty_shared_plain_return
    movb $0x73, (%eax)
    movl $3, %eax
    ret $0x18
faulty_shared_plain_return:
    movl $3, %eax
    ret

    .globl _register_jump_command
_register_jump_command:
    movl $faulty_register_target, %eax
    jmp *%eax
faulty_register_target:
    movl $3, %eax
    ret $0x18
)");

extern "C" {
#else
// On x64 the callee never pops its arguments; these stand in for the names only.
int split_return_command(HWND, HWND, char*, char*, BOOL, BOOL) { return 3; }
int register_jump_command(HWND, HWND, char*, char*, BOOL, BOOL) { return 3; }
#endif

}  // extern "C"
