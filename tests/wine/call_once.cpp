// Makes one client call and exits with 0 when it was sound, 1 when client_call found a
// fault in it (and kClientFaultExit when the DLL crashed).
//
//   call_once.exe <dll> <export> [params]
#include <cstdio>

#include "dllcall/client_call.h"

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    const ClientCall call = client_call(argv[1], argv[2], argc > 3 ? argv[3] : "abc");
    std::printf("result %d answer \"%s\"%s%s\n", call.result, call.answer.c_str(),
                call.ok() ? "" : " error: ", call.error.c_str());
    return call.ok() ? 0 : 1;
}
