# Cross-build for Windows on ARM64 with Debian's clang-19 and lld-19. Debian has no MinGW
# runtime for ARM64, so nothing here links one: the programs of this build name their own
# entry points and link import libraries made from .def files (see windows.cmake). The
# Windows headers are MinGW-w64's own (mingw-w64-common, shared by every target); the
# C++ headers are libc++'s of the same LLVM (libc++-19-dev), headers only.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER clang-19)
set(CMAKE_CXX_COMPILER clang++-19)
set(CMAKE_C_COMPILER_TARGET aarch64-w64-mingw32)
set(CMAKE_CXX_COMPILER_TARGET aarch64-w64-mingw32)
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
set(CMAKE_AR llvm-ar-19)
set(CMAKE_RANLIB llvm-ranlib-19)
set(ZEL_DLLTOOL llvm-dlltool-19)
set(CMAKE_CXX_FLAGS_INIT
  "-nostdinc++ -isystem /usr/lib/llvm-19/include/c++/v1 -isystem /usr/share/mingw-w64/include -mno-stack-arg-probe")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld -nostdlib")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-fuse-ld=lld -nostdlib")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
