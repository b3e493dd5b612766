# The logic built for this machine against the simulated desktop, and its unit tests.

add_library(zel_logic STATIC ${ZEL_LOGIC_SOURCES} src/platform/platform_sim.cpp)
target_include_directories(zel_logic PUBLIC src)

# The logic and its tests run under AddressSanitizer and UndefinedBehaviorSanitizer, so
# that a read past a buffer, a freed object used, a leak or an overflowing shift fails the
# suite instead of passing by luck. Undefined behaviour stops the run at once.
option(ZEL_SANITIZE "build the native logic and unit tests with ASan and UBSan" ON)
if(ZEL_SANITIZE)
  set(ZEL_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined
      -fno-omit-frame-pointer)
  target_compile_options(zel_logic PUBLIC ${ZEL_SANITIZER_FLAGS})
  target_link_options(zel_logic PUBLIC ${ZEL_SANITIZER_FLAGS})
endif()

find_package(GTest REQUIRED)
enable_testing()

file(GLOB ZEL_UNIT_TESTS CONFIGURE_DEPENDS tests/unit/*.cpp)
add_executable(unit_tests ${ZEL_UNIT_TESTS})
target_link_libraries(unit_tests PRIVATE zel_logic GTest::gtest GTest::gtest_main)
target_compile_definitions(unit_tests PRIVATE
  ZEL_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
  ZEL_WINDOWS_BUILD_DIR="${ZEL_WINDOWS_BUILD_DIR}"
  ZEL_WINDOWS_X64_BUILD_DIR="${ZEL_WINDOWS_X64_BUILD_DIR}")
include(GoogleTest)
gtest_discover_tests(unit_tests)
