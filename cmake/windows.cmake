# The DLL and the Windows programs that drive it under Wine.

set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# The entry point's linker name: i386 decorates a __stdcall symbol with its argument bytes.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(ZEL_DLL_ENTRY _DllEntry@12)
  set(ZEL_FLOOR_ENTRY _FloorEntry@12)
else()
  set(ZEL_DLL_ENTRY DllEntry)
  set(ZEL_FLOOR_ENTRY FloorEntry)
endif()

# The DLL links no C runtime: its entry point returns at once, so loading it costs the
# client what the loader costs and nothing more, and it imports only system DLLs.
# Exceptions and run-time type information have nothing to do without a runtime.
add_library(zel_winamp SHARED ${ZEL_LOGIC_SOURCES}
  src/platform/platform_win32.cpp
  src/host/dll_entry.cpp
  src/host/exports.def)
set_target_properties(zel_winamp PROPERTIES PREFIX "" OUTPUT_NAME "zel.winamp" SUFFIX ".dll")
target_include_directories(zel_winamp PRIVATE src)
target_compile_options(zel_winamp PRIVATE
  -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables -fno-threadsafe-statics -fno-stack-protector)
target_link_options(zel_winamp PRIVATE
  -nostdlib -Wl,-e,${ZEL_DLL_ENTRY} -Wl,--enable-stdcall-fixup -Wl,--no-insert-timestamp
  -Wl,--dynamicbase -Wl,--nxcompat -s)
target_link_libraries(zel_winamp PRIVATE user32 advapi32 kernel32 msvcrt gcc)

# Programs of the test harness and the tools: ordinary console programs, linked
# statically so that Wine needs no MinGW runtime DLLs beside them.
function(zel_windows_program name)
  add_executable(${name} ${ARGN})
  target_include_directories(${name} PRIVATE src tests/wine tools)
  target_link_options(${name} PRIVATE -static -static-libgcc -static-libstdc++)
endfunction()

include(tests/wine/programs.cmake)
include(tools/programs.cmake)
include(tests/bench/programs.cmake)
