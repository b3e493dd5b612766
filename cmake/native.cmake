# The logic built for this machine against the simulated desktop, and its unit tests.

add_library(zel_logic STATIC ${ZEL_LOGIC_SOURCES} src/platform/platform_sim.cpp)
target_include_directories(zel_logic PUBLIC src)

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
