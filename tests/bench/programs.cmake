# Benchmark and soak programs, run under Wine by tests/wine/bench.sh and tests/bench/soak.sh.

# The floor for the load-cycle figure: no C runtime, no start files, nothing but the
# two exports, in the DLL's own file layout. It imports user32 for the one message it sends, like the real DLL.
add_library(bench_floor SHARED tests/bench/floor_dll.cpp tests/bench/floor.def)
set_target_properties(bench_floor PROPERTIES PREFIX "" OUTPUT_NAME "floor" SUFFIX ".dll")
target_compile_options(bench_floor PRIVATE
  -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables -ffreestanding -fno-stack-protector)
target_link_options(bench_floor PRIVATE
  -nostdlib -nostartfiles -Wl,-e,${ZEL_FLOOR_ENTRY} -Wl,--enable-stdcall-fixup
  -Wl,--no-insert-timestamp ${ZEL_IMAGE_LAYOUT})
target_link_libraries(bench_floor PRIVATE user32 kernel32)

# The reference for the cost of the bound on waiting: the same DLL, with every message
# sent by SendMessage, which waits as long as the player takes. Built by make bench only.
add_library(bench_unbounded SHARED EXCLUDE_FROM_ALL ${ZEL_LOGIC_SOURCES}
  src/platform/platform_win32.cpp
  src/host/dll_entry.cpp
  src/host/exports.def)
set_target_properties(bench_unbounded PROPERTIES
  PREFIX "" OUTPUT_NAME "zel.winamp.unbounded" SUFFIX ".dll")
target_include_directories(bench_unbounded PRIVATE src)
get_target_property(ZEL_DLL_COMPILE_OPTIONS zel_winamp COMPILE_OPTIONS)
get_target_property(ZEL_DLL_LINK_OPTIONS zel_winamp LINK_OPTIONS)
get_target_property(ZEL_DLL_LIBRARIES zel_winamp LINK_LIBRARIES)
target_compile_options(bench_unbounded PRIVATE ${ZEL_DLL_COMPILE_OPTIONS}
  -include ${CMAKE_SOURCE_DIR}/tests/bench/unbounded_send.h)
target_link_options(bench_unbounded PRIVATE ${ZEL_DLL_LINK_OPTIONS})
target_link_libraries(bench_unbounded PRIVATE ${ZEL_DLL_LIBRARIES})

zel_windows_program(bench tests/bench/bench_host.cpp tests/bench/dll_session.cpp
  tools/dllcall/export_names.cpp)
target_link_libraries(bench PRIVATE psapi advapi32)

zel_windows_program(soak tests/bench/soak.cpp tests/bench/dll_session.cpp
  tools/dllcall/client_call.cpp
  tools/dllcall/export_names.cpp)
target_link_libraries(soak PRIVATE psapi)

zel_windows_program(wintool tests/bench/wintool.cpp)
