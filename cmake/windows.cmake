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
# Sections stand in the file at page boundaries, as they do in memory: a loader can then
# map the file as it stands instead of copying each section in. Windows maps either way;
# Wine copies an image laid out at 512 bytes, which for this DLL cost the client ~0.5 ms
# a call (mIRC loads it for every call), more than the loader's own work.
set(ZEL_IMAGE_LAYOUT -Wl,--file-alignment=4096)
target_link_options(zel_winamp PRIVATE
  -nostdlib -Wl,-e,${ZEL_DLL_ENTRY} -Wl,--no-insert-timestamp -Wl,--dynamicbase -Wl,--nxcompat -s
  ${ZEL_IMAGE_LAYOUT})

# The client stand-in of the ARM64 test stage: no runtime, Win32 calls only. The x64
# build has it too: what the x64 DLL answers through it is what the ARM64 DLL must answer.
function(zel_client_standin)
  add_executable(client_standin tests/arm64/client_standin.cpp)
  target_compile_options(client_standin PRIVATE
    -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables -fno-stack-protector)
  target_link_options(client_standin PRIVATE
    -nostdlib -Wl,-e,StandinStart -Wl,--subsystem,console -Wl,--no-insert-timestamp -s)
endfunction()

if(CMAKE_SYSTEM_PROCESSOR STREQUAL aarch64)
  # Windows on ARM64: Debian ships no MinGW runtime or import libraries for it, so the
  # import libraries are made here from .def files that list exactly what is imported,
  # one file per system DLL. A new Win32 call needs its name added to the DLL's file.
  # CMake's own list of default Windows libraries names ones that do not exist here.
  set(CMAKE_CXX_STANDARD_LIBRARIES "")
  function(zel_import_libraries target def_dir)
    file(GLOB defs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${def_dir}/*.def)
    foreach(def ${defs})
      get_filename_component(dll ${def} NAME_WE)
      set(lib ${CMAKE_BINARY_DIR}/imports/${target}/lib${dll}.a)
      add_custom_command(OUTPUT ${lib}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/imports/${target}
        COMMAND ${ZEL_DLLTOOL} -m arm64 -d ${def} -l ${lib}
        DEPENDS ${def} VERBATIM)
      target_sources(${target} PRIVATE ${lib})
      target_link_libraries(${target} PRIVATE ${lib})
    endforeach()
  endfunction()
  zel_import_libraries(zel_winamp cmake/arm64-imports)

  zel_client_standin()
  zel_import_libraries(client_standin tests/arm64/imports)
  return()
endif()

target_link_options(zel_winamp PRIVATE -Wl,--enable-stdcall-fixup)
target_link_libraries(zel_winamp PRIVATE user32 advapi32 kernel32 msvcrt gcc)

# Programs of the test harness and the tools: ordinary console programs, linked
# statically so that Wine needs no MinGW runtime DLLs beside them.
function(zel_windows_program name)
  add_executable(${name} ${ARGN})
  target_include_directories(${name} PRIVATE src tests/wine tools)
  target_link_options(${name} PRIVATE -static -static-libgcc -static-libstdc++)
endfunction()

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  zel_client_standin()
  target_link_libraries(client_standin PRIVATE kernel32 user32 msvcrt gcc)
endif()

include(tests/wine/programs.cmake)
include(tools/programs.cmake)
include(tests/bench/programs.cmake)
