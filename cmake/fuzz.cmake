# The fuzz targets, for clang's libFuzzer (Debian's clang and
# libclang-rt-14-dev): the walk's and the file table's. Every source they
# run is compiled into each with the fuzzer's coverage and the sanitizers.
set(FUZZ_FLAGS -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
file(GLOB POSIX_SOURCES CONFIGURE_DEPENDS src/posix/*.cpp)
file(GLOB UNIT_SUPPORT CONFIGURE_DEPENDS tests/unit/support/*.cpp)
foreach(target walk table)
  add_executable(${target}-fuzz tests/fuzz/${target}_fuzz.cpp ${TREE_SOURCES} ${UNIT_SUPPORT}
                 tests/support/reference_walk.cpp)
  target_include_directories(${target}-fuzz PRIVATE src tests/unit)
  target_compile_definitions(${target}-fuzz PRIVATE QUORVEL_TEST_HOOKS)
  target_compile_options(${target}-fuzz PRIVATE ${FUZZ_FLAGS})
  target_link_options(${target}-fuzz PRIVATE ${FUZZ_FLAGS})
endforeach()
