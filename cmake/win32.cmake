# build/win32: i686-w64-mingw32, static runtime. Quorvel.exe, the Windows test
# programs (run under Wine by CTest) and the Windows benchmarks.
enable_language(RC)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/tests/win/wine-exec)

set(STATIC_RUNTIME -static -static-libgcc -static-libstdc++)
add_compile_options(-O2)
# The program itself is built for size: no unwind tables (it throws nothing),
# and every function in its own section so the linker drops the unused ones.
# Not every datum: MinGW gives a zero-filled global of its own section a
# place among the initialised data, in the file, rather than in .bss.
set(SMALL_CODE -Os -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables
    -ffunction-sections)

file(GLOB WIN32_SOURCES CONFIGURE_DEPENDS src/win32/*.cpp)
file(GLOB UI_SOURCES CONFIGURE_DEPENDS src/ui/*.cpp)
file(GLOB LIST_SOURCES CONFIGURE_DEPENDS src/list/*.cpp)
file(GLOB APP_SOURCES CONFIGURE_DEPENDS src/app/*.cpp)
list(FILTER APP_SOURCES EXCLUDE REGEX "/(main|own_runtime)\\.cpp$")
set(WIN_LIBS comctl32 gdi32 user32 shell32 kernel32)

# Everything but the process's entry and what Quorvel.exe has in place of
# the C runtime (main.cpp, own_runtime.cpp: the test programs keep the
# runtime's start-up, which GoogleTest needs), so that test programs link
# the same code. Four sources carry test hooks (failing allocations, the
# path walk picked by the test and the file tables left unread, a history
# that cannot grow, volume reads checked as Windows checks them): they are
# compiled a second time with the hooks, for the test programs only; every
# other object is compiled once and shared.
set(HOOKED_SOURCES ${CMAKE_SOURCE_DIR}/src/tree/folder_node.cpp
    ${CMAKE_SOURCE_DIR}/src/win32/win32_file_system.cpp
    ${CMAKE_SOURCE_DIR}/src/win32/raw_volume.cpp
    ${CMAKE_SOURCE_DIR}/src/list/navigation.cpp)
set(CORE_SOURCES ${TREE_SOURCES} ${PANE_SOURCES} ${WIN32_SOURCES} ${UI_SOURCES}
    ${LIST_SOURCES} ${APP_SOURCES})
list(REMOVE_ITEM CORE_SOURCES ${HOOKED_SOURCES})
add_library(quorvel_core_objects OBJECT ${CORE_SOURCES})
target_include_directories(quorvel_core_objects PUBLIC src)
target_compile_options(quorvel_core_objects PRIVATE ${SMALL_CODE})
foreach(core quorvel_core quorvel_core_testable)
  add_library(${core} STATIC $<TARGET_OBJECTS:quorvel_core_objects> ${HOOKED_SOURCES})
  target_include_directories(${core} PUBLIC src)
  target_compile_options(${core} PRIVATE ${SMALL_CODE})
  target_link_libraries(${core} PUBLIC ${WIN_LIBS})
endforeach()
target_compile_definitions(quorvel_core_testable PUBLIC QUORVEL_TEST_HOOKS)

# Resources: the pixel art is text under src/res/art; a small host program
# turns it into the .ico, .cur and .bmp files that windres compiles in.
set(ART_DIR ${CMAKE_SOURCE_DIR}/src/res/art)
file(GLOB ART_FILES CONFIGURE_DEPENDS ${ART_DIR}/*.txt)
set(RES_OUT ${CMAKE_BINARY_DIR}/res)
set(RESGEN ${CMAKE_BINARY_DIR}/host/resgen)
add_custom_command(
  OUTPUT ${RESGEN}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/host
  COMMAND c++ -std=c++17 -O2 -Wall -Wextra -Werror -o ${RESGEN} ${CMAKE_SOURCE_DIR}/tools/resgen.cpp
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/resgen.cpp
  COMMENT "Building the resource generator for the host")
add_custom_command(
  OUTPUT ${RES_OUT}/app.ico ${RES_OUT}/hand.cur ${RES_OUT}/rows.bmp
  COMMAND ${CMAKE_COMMAND} -E make_directory ${RES_OUT}
  COMMAND ${RESGEN} ${ART_DIR} ${RES_OUT}
  DEPENDS ${RESGEN} ${ART_FILES}
  COMMENT "Drawing the icon, cursor and row images")
add_custom_target(quorvel_art DEPENDS ${RES_OUT}/app.ico ${RES_OUT}/hand.cur ${RES_OUT}/rows.bmp)
set_source_files_properties(src/res/quorvel.rc PROPERTIES
  OBJECT_DEPENDS "${RES_OUT}/app.ico;${RES_OUT}/hand.cur;${RES_OUT}/rows.bmp;${CMAKE_SOURCE_DIR}/src/res/quorvel.manifest")

# Quorvel.exe starts in its own entry (src/app/main.cpp) and is linked with
# no C runtime start-up or static library at all: Windows' import libraries,
# msvcrt.dll's among them, and src/app/own_runtime.cpp give what the code
# calls, so that a 64-bit division or a libm call that creeps in fails the
# link. cmake/quorvel.ld lays out the sections and fails the link on static
# initialisers, thread-local storage and unwind tables. The map beside the
# program is what bench/size-table reads.
function(add_quorvel_exe name)
  add_executable(${name} WIN32 src/app/main.cpp src/app/own_runtime.cpp src/res/quorvel.rc)
  add_dependencies(${name} quorvel_art)
  target_include_directories(${name} PRIVATE ${RES_OUT} src/res)
  target_compile_options(${name} PRIVATE ${SMALL_CODE})
  target_link_libraries(${name} quorvel_core msvcrt)
  target_link_options(${name} PRIVATE -nostdlib -s -Wl,--gc-sections -Wl,--entry=_quorvelStart
                      -Wl,--disable-auto-import -Wl,-T,${CMAKE_SOURCE_DIR}/cmake/quorvel.ld
                      -Wl,-Map=${CMAKE_BINARY_DIR}/${name}.map)
  set_target_properties(${name} PROPERTIES LINK_DEPENDS ${CMAKE_SOURCE_DIR}/cmake/quorvel.ld)
endfunction()

# The same resources for the test programs, so that what they load by id
# (the hand cursor, the row images) is what Quorvel.exe carries, and they
# run by the same manifest: the list-view of Common Controls 6.
add_library(quorvel_resources OBJECT src/res/quorvel.rc)
add_dependencies(quorvel_resources quorvel_art)
target_include_directories(quorvel_resources PRIVATE ${RES_OUT} src/res)

add_quorvel_exe(Quorvel)
# A build without the row-image strip, for the start-up failure test.
add_quorvel_exe(QuorvelNoRowImages)
target_compile_definitions(QuorvelNoRowImages PRIVATE QUORVEL_WITHOUT_ROW_IMAGES)

# GoogleTest from Debian's sources, built with the posix-thread MinGW compiler.
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# Test support, each folder compiled once: the Windows tests' own helpers,
# and the in-memory disk of the unit tests (portable), which navigation is
# tested against on a real list control.
file(GLOB WIN_TEST_SUPPORT CONFIGURE_DEPENDS tests/win/support/*.cpp)
add_library(quorvel_win_test_support STATIC ${WIN_TEST_SUPPORT})
target_include_directories(quorvel_win_test_support PUBLIC tests/win src)
file(GLOB UNIT_SUPPORT CONFIGURE_DEPENDS tests/unit/support/*.cpp)
add_library(quorvel_memory_disk STATIC ${UNIT_SUPPORT})
target_include_directories(quorvel_memory_disk PUBLIC tests/unit src)
target_compile_definitions(quorvel_memory_disk PRIVATE QUORVEL_TEST_HOOKS)
# The reference walk (single steps) that the scan is compared with, in tests
# and in the benchmark.
add_library(quorvel_reference_walk STATIC tests/support/reference_walk.cpp)
target_include_directories(quorvel_reference_walk PUBLIC tests/support src)

file(GLOB WIN_TESTS CONFIGURE_DEPENDS tests/win/*_test.cpp)
foreach(test_source ${WIN_TESTS})
  get_filename_component(test_name ${test_source} NAME_WE)
  add_executable(${test_name} ${test_source})
  target_link_libraries(${test_name} quorvel_win_test_support quorvel_memory_disk
                        quorvel_reference_walk quorvel_core_testable quorvel_resources gtest_main psapi)
  target_link_options(${test_name} PRIVATE ${STATIC_RUNTIME})
  add_test(NAME win_${test_name} COMMAND ${test_name})
endforeach()

file(GLOB WIN_BENCHES CONFIGURE_DEPENDS bench/*_win.cpp)
foreach(bench_source ${WIN_BENCHES})
  get_filename_component(bench_name ${bench_source} NAME_WE)
  string(REPLACE "_win" "" bench_name ${bench_name})
  string(REPLACE "_" "-" bench_name ${bench_name})
  add_executable(${bench_name} ${bench_source})
  target_include_directories(${bench_name} PRIVATE bench)
  target_link_libraries(${bench_name} quorvel_reference_walk quorvel_core psapi)
  target_link_options(${bench_name} PRIVATE ${STATIC_RUNTIME})
endforeach()

file(GLOB E2E_TOOLS CONFIGURE_DEPENDS tests/e2e/*.cpp)
foreach(tool_source ${E2E_TOOLS})
  get_filename_component(tool_name ${tool_source} NAME_WE)
  add_executable(${tool_name} ${tool_source})
  target_link_libraries(${tool_name} ${WIN_LIBS})
  target_link_options(${tool_name} PRIVATE ${STATIC_RUNTIME})
endforeach()
