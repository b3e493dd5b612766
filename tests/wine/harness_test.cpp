// The harness itself: client_call must notice each way a DLL can break the client's
// conventions, or a green run of the other tests would prove nothing.
#include <gtest/gtest.h>

#include <string>

#include "harness.h"

namespace wine_test {
namespace {

std::string faulty_dll() { return bin_dir() + "faulty.dll"; }

TEST(Harness, NoticesEachBrokenConvention) {
    ClientModule module = client_open(faulty_dll().c_str());
    ASSERT_TRUE(module.loaded) << module.error;
    EXPECT_TRUE(module.load_stack_ok);
    EXPECT_FALSE(module.load_record_ok) << "a LoadDll that changes byte 9 went unnoticed";

    const ClientCall good = client_call_in(module, "good_command", "abc");
    EXPECT_TRUE(good.ok()) << good.error;
    EXPECT_EQ(good.answer, "fine");
    EXPECT_EQ(good.result, 3);
    EXPECT_FALSE(good.untouched);

    const ClientCall cdecl_call = client_call_in(module, "cdecl_command", "abc");
#if defined(__i386__)
    EXPECT_FALSE(cdecl_call.stack_ok);
    EXPECT_EQ(cdecl_call.popped, 0);
    EXPECT_FALSE(cdecl_call.ok());
#else
    // x64 has one calling convention: a "cdecl" export is an ordinary one there.
    EXPECT_TRUE(cdecl_call.ok()) << cdecl_call.error;
#endif
    EXPECT_EQ(cdecl_call.answer, "cbc");

    const ClientCall tail = client_call_in(module, "tail_writer", "abcdef");
    EXPECT_TRUE(tail.tail_changed);
    EXPECT_FALSE(tail.ok());
    EXPECT_EQ(tail.answer, "ok");

    const ClientCall parms = client_call_in(module, "parms_writer", "abc");
    EXPECT_TRUE(parms.parms_changed);
    EXPECT_FALSE(parms.ok());

    const ClientCall missing = client_call_in(module, "zel_winamp_nothing", "abc");
    EXPECT_FALSE(missing.found);
    EXPECT_FALSE(missing.ok());
    EXPECT_TRUE(client_close(module));

    const ClientCall unloadable = client_call("C:\\zeltest\\no-such.dll", "LoadDll", "");
    EXPECT_FALSE(unloadable.loaded);
    EXPECT_FALSE(unloadable.ok());
}

TEST(Harness, AWritePastTheBufferFaultsAndNamesTheExport) {
    for (const char* name : {"overrun", "good_command"}) {
        PROCESS_INFORMATION process = {};
        ASSERT_TRUE(start_process("\"" + bin_dir() + "call_once.exe\" \"" + faulty_dll() +
                                      "\" " + name,
                                  &process));
        ASSERT_EQ(WaitForSingleObject(process.hProcess, 20000), WAIT_OBJECT_0) << name;
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        // good_command is sound itself, but the faulty LoadDll makes the call unsound.
        EXPECT_EQ(code, std::string(name) == "overrun" ? DWORD(kClientFaultExit) : 1u) << name;
        end_process(process);
    }
}

}  // namespace
}  // namespace wine_test
