# build/native: host g++, portable code, unit tests under ASan+UBSan, benchmarks.
option(QUORVEL_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" ON)

file(GLOB POSIX_SOURCES CONFIGURE_DEPENDS src/posix/*.cpp)

if(QUORVEL_SANITIZE)
  set(SANITIZE_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
endif()

add_library(quorvel_portable STATIC ${TREE_SOURCES} ${PANE_PORTABLE_SOURCES} ${POSIX_SOURCES})
target_include_directories(quorvel_portable PUBLIC src)
target_compile_options(quorvel_portable PRIVATE ${SANITIZE_FLAGS})

# The benchmark is measured without sanitizers.
add_library(quorvel_portable_bench STATIC ${TREE_SOURCES} ${POSIX_SOURCES})
target_include_directories(quorvel_portable_bench PUBLIC src)
target_compile_options(quorvel_portable_bench PRIVATE -O2)
if(EXISTS ${CMAKE_SOURCE_DIR}/bench/scan_bench_native.cpp)
  add_executable(scan-bench bench/scan_bench_native.cpp)
  target_link_libraries(scan-bench quorvel_portable_bench)
endif()
# Fixture trees on real folders: made by make-fixtures, and by the unit tests
# through the same code.
file(GLOB FIXTURE_SOURCES CONFIGURE_DEPENDS tests/support/*.cpp)
list(FILTER FIXTURE_SOURCES EXCLUDE REGEX "make_fixtures\\.cpp$")
set(MAKER_SOURCES ${FIXTURE_SOURCES})
list(FILTER MAKER_SOURCES EXCLUDE REGEX "reference_walk\\.cpp$")
if(EXISTS ${CMAKE_SOURCE_DIR}/tests/support/make_fixtures.cpp)
  add_executable(make-fixtures tests/support/make_fixtures.cpp ${MAKER_SOURCES})
endif()

find_package(GTest REQUIRED)
file(GLOB UNIT_SUPPORT CONFIGURE_DEPENDS tests/unit/support/*.cpp)
file(GLOB UNIT_TESTS CONFIGURE_DEPENDS tests/unit/*_test.cpp)
foreach(test_source ${UNIT_TESTS})
  get_filename_component(test_name ${test_source} NAME_WE)
  add_executable(${test_name} ${test_source} ${UNIT_SUPPORT} ${FIXTURE_SOURCES})
  target_include_directories(${test_name} PRIVATE tests/unit)
  target_compile_options(${test_name} PRIVATE ${SANITIZE_FLAGS})
  target_link_options(${test_name} PRIVATE ${SANITIZE_FLAGS})
  target_link_libraries(${test_name} quorvel_portable GTest::gtest_main)
  add_test(NAME ${test_name} COMMAND ${test_name})
endforeach()

# The resource generator and the files it writes, checked as Windows reads them.
add_test(NAME resources COMMAND ${CMAKE_SOURCE_DIR}/tests/res/check-resources)

# The walk's fuzz target, for clang's libFuzzer: built only by a compiler
# that takes -fsanitize=fuzzer (see bench/README.md).
include(CheckCXXSourceCompiles)
set(CMAKE_REQUIRED_FLAGS -fsanitize=fuzzer)
check_cxx_source_compiles([[
#include <cstddef>
#include <cstdint>
extern "C" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }
]] QUORVEL_HAS_LIBFUZZER)
unset(CMAKE_REQUIRED_FLAGS)
if(QUORVEL_HAS_LIBFUZZER)
  set(FUZZ_FLAGS -fsanitize=fuzzer,address,undefined -fno-omit-frame-pointer)
  add_executable(walk-fuzz tests/fuzz/walk_fuzz.cpp ${UNIT_SUPPORT} tests/support/reference_walk.cpp)
  target_include_directories(walk-fuzz PRIVATE tests/unit)
  target_compile_options(walk-fuzz PRIVATE ${FUZZ_FLAGS})
  target_link_options(walk-fuzz PRIVATE ${FUZZ_FLAGS})
  target_link_libraries(walk-fuzz quorvel_portable)
endif()
