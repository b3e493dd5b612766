# The Wine harness: the simulated player, its helper programs and the end-to-end tests of
# the real DLL. Built by the Windows build; run by tests/wine/run.sh.

# GoogleTest, built with the same MinGW toolchain, without threads, linked statically.
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# Debian's MinGW uses the win32 thread model, which has no std::mutex; GoogleTest needs it
# only for its Notification class, so that one comes from a Win32 header instead.
target_compile_definitions(gtest PUBLIC GTEST_HAS_NOTIFICATION_=1)
target_compile_options(gtest PUBLIC -include ${CMAKE_SOURCE_DIR}/tests/wine/gtest_notification.h)
target_compile_options(gtest PRIVATE -Wno-error)
target_compile_options(gtest_main PRIVATE -Wno-error)

zel_windows_program(fake_player tests/wine/fake_player.cpp tests/wine/win_files.cpp)
zel_windows_program(launch_probe tests/wine/launch_probe.cpp)
zel_windows_program(file_holder tests/wine/file_holder.cpp)

zel_windows_program(wine_tests
  tools/dllcall/client_call.cpp
  tests/wine/harness.cpp
  tests/wine/win_files.cpp
  tests/wine/commands_test.cpp
  tests/wine/status_test.cpp
  tests/wine/install_test.cpp
  tests/wine/tags_test.cpp
  tests/wine/harness_test.cpp
  tests/wine/text_test.cpp
  tests/wine/entry_test.cpp
  tests/wine/player_wait_test.cpp
  tests/wine/controls_test.cpp
  tools/dllcall/export_names.cpp)
target_link_libraries(wine_tests PRIVATE gtest_main gtest)
# The tests need the programs they start.
add_dependencies(wine_tests zel_winamp fake_player launch_probe file_holder)

# A DLL with one deliberate mistake per export, and a one-call host, for testing the
# harness itself.
add_library(faulty SHARED tests/wine/faulty_dll.cpp tests/wine/faulty.def)
set_target_properties(faulty PROPERTIES PREFIX "" OUTPUT_NAME "faulty" SUFFIX ".dll")
target_link_options(faulty PRIVATE -static -static-libgcc -Wl,--enable-stdcall-fixup)
zel_windows_program(call_once tests/wine/call_once.cpp tools/dllcall/client_call.cpp)
add_dependencies(wine_tests faulty call_once)
