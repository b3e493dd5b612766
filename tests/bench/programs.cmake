# Benchmark and soak programs, run under Wine by tests/wine/bench.sh and tests/bench/soak.sh.

# The floor for the load-cycle figure: no C runtime, no start files, nothing but the
# two exports. It imports user32 for the one message it sends, like the real DLL.
add_library(bench_floor SHARED tests/bench/floor_dll.cpp tests/bench/floor.def)
set_target_properties(bench_floor PROPERTIES PREFIX "" OUTPUT_NAME "floor" SUFFIX ".dll")
target_compile_options(bench_floor PRIVATE
  -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables -ffreestanding -fno-stack-protector)
target_link_options(bench_floor PRIVATE
  -nostdlib -nostartfiles -Wl,-e,${ZEL_FLOOR_ENTRY} -Wl,--enable-stdcall-fixup
  -Wl,--no-insert-timestamp)
target_link_libraries(bench_floor PRIVATE user32 kernel32)

zel_windows_program(bench tests/bench/bench_host.cpp tests/bench/dll_session.cpp
  tools/dllcall/export_names.cpp)
target_link_libraries(bench PRIVATE psapi advapi32)

zel_windows_program(soak tests/bench/soak.cpp tests/bench/dll_session.cpp
  tools/dllcall/client_call.cpp
  tools/dllcall/export_names.cpp)
target_link_libraries(soak PRIVATE psapi)

zel_windows_program(wintool tests/bench/wintool.cpp)
