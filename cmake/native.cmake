# build/native: host g++, portable code, unit tests under ASan+UBSan, benchmarks.
# build/fuzz (QUORVEL_FUZZ, clang): the fuzz targets alone.
option(QUORVEL_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" ON)
option(QUORVEL_FUZZ "Build only the fuzz targets, for clang's libFuzzer" OFF)

if(QUORVEL_FUZZ)
  include(cmake/fuzz.cmake)
  return()
endif()

file(GLOB POSIX_SOURCES CONFIGURE_DEPENDS src/posix/*.cpp)

if(QUORVEL_SANITIZE)
  set(SANITIZE_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
endif()

add_library(quorvel_portable STATIC ${TREE_SOURCES} ${PANE_PORTABLE_SOURCES} ${POSIX_SOURCES})
target_include_directories(quorvel_portable PUBLIC src)
target_compile_options(quorvel_portable PRIVATE ${SANITIZE_FLAGS})
# Only the tests link this library: it carries the test hooks.
target_compile_definitions(quorvel_portable PUBLIC QUORVEL_TEST_HOOKS)

# The benchmark is measured without sanitizers.
add_library(quorvel_portable_bench STATIC ${TREE_SOURCES} ${POSIX_SOURCES})
target_include_directories(quorvel_portable_bench PUBLIC src)
target_compile_options(quorvel_portable_bench PRIVATE -O2)
if(EXISTS ${CMAKE_SOURCE_DIR}/bench/scan_bench_native.cpp)
  add_executable(scan-bench bench/scan_bench_native.cpp)
  target_link_libraries(scan-bench quorvel_portable_bench)
endif()
# Test support, each folder compiled once into a library of its own: the
# fixture trees on real folders (tests/support, also behind make-fixtures)
# and the in-memory disk and scripted prompt (tests/unit/support).
file(GLOB FIXTURE_SOURCES CONFIGURE_DEPENDS tests/support/*.cpp)
list(FILTER FIXTURE_SOURCES EXCLUDE REGEX "make_fixtures\\.cpp$")
list(FILTER FIXTURE_SOURCES EXCLUDE REGEX "reference_walk\\.cpp$")
add_library(quorvel_fixtures STATIC ${FIXTURE_SOURCES})
target_include_directories(quorvel_fixtures PUBLIC tests/support)
target_compile_options(quorvel_fixtures PRIVATE ${SANITIZE_FLAGS})
# The NTFS volumes' script, and the fixture maker that counts them.
target_compile_definitions(quorvel_fixtures PRIVATE QUORVEL_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
                           QUORVEL_MAKE_FIXTURES="$<TARGET_FILE:make-fixtures>")
if(EXISTS ${CMAKE_SOURCE_DIR}/tests/support/make_fixtures.cpp)
  add_executable(make-fixtures tests/support/make_fixtures.cpp)
  target_compile_options(make-fixtures PRIVATE ${SANITIZE_FLAGS})
  target_link_options(make-fixtures PRIVATE ${SANITIZE_FLAGS})
  target_link_libraries(make-fixtures quorvel_fixtures)
endif()

find_package(GTest REQUIRED)
file(GLOB UNIT_SUPPORT CONFIGURE_DEPENDS tests/unit/support/*.cpp)
# The reference walk (single steps) that the scan is compared with.
add_library(quorvel_unit_support STATIC ${UNIT_SUPPORT} tests/support/reference_walk.cpp)
target_include_directories(quorvel_unit_support PUBLIC tests/unit)
target_compile_options(quorvel_unit_support PRIVATE ${SANITIZE_FLAGS})
target_link_libraries(quorvel_unit_support PUBLIC quorvel_portable)

file(GLOB UNIT_TESTS CONFIGURE_DEPENDS tests/unit/*_test.cpp)
foreach(test_source ${UNIT_TESTS})
  get_filename_component(test_name ${test_source} NAME_WE)
  add_executable(${test_name} ${test_source})
  target_compile_options(${test_name} PRIVATE ${SANITIZE_FLAGS})
  target_link_options(${test_name} PRIVATE ${SANITIZE_FLAGS})
  target_link_libraries(${test_name} quorvel_unit_support quorvel_fixtures quorvel_portable
                        GTest::gtest_main)
  add_test(NAME ${test_name} COMMAND ${test_name})
endforeach()

# The resource generator and the files it writes, checked as Windows reads them.
add_test(NAME resources COMMAND ${CMAKE_SOURCE_DIR}/tests/res/check-resources)
# The setup's decisions when the package mirror is in mid-sync, against stand-ins.
add_test(NAME setup COMMAND ${CMAKE_SOURCE_DIR}/tests/setup/setup-test)
