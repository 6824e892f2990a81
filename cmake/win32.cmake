# build/win32: i686-w64-mingw32, static runtime. Quorvel.exe, the Windows test
# programs (run under Wine by CTest) and the Windows benchmarks.
enable_language(RC)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/tests/win/wine-exec)

set(STATIC_RUNTIME -static -static-libgcc -static-libstdc++)
add_compile_options(-O2)
# The program itself is built for size: no unwind tables (it throws nothing),
# and every function and datum in its own section so the linker drops the
# unused ones.
set(SMALL_CODE -Os -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables
    -ffunction-sections -fdata-sections)

file(GLOB WIN32_SOURCES CONFIGURE_DEPENDS src/win32/*.cpp)
file(GLOB LIST_SOURCES CONFIGURE_DEPENDS src/list/*.cpp)
file(GLOB APP_SOURCES CONFIGURE_DEPENDS src/app/*.cpp)
list(FILTER APP_SOURCES EXCLUDE REGEX "/main\\.cpp$")
set(WIN_LIBS comctl32 gdi32 user32 shell32 kernel32)

# Everything but the entry function, so that test programs link the same code.
add_library(quorvel_core STATIC ${TREE_SOURCES} ${PANE_SOURCES} ${WIN32_SOURCES}
            ${LIST_SOURCES} ${APP_SOURCES})
target_include_directories(quorvel_core PUBLIC src)
target_compile_options(quorvel_core PRIVATE ${SMALL_CODE})
target_link_libraries(quorvel_core PUBLIC ${WIN_LIBS})

# Resources: the pixel art is text under src/res/art; a small host program
# turns it into the .ico, .cur and .bmp files that windres compiles in.
set(ART_DIR ${CMAKE_SOURCE_DIR}/src/res/art)
file(GLOB ART_FILES CONFIGURE_DEPENDS ${ART_DIR}/*.txt)
set(RES_OUT ${CMAKE_BINARY_DIR}/res)
set(RESGEN ${CMAKE_BINARY_DIR}/host/resgen)
add_custom_command(
  OUTPUT ${RESGEN}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/host
  COMMAND c++ -std=c++17 -O2 -Wall -Wextra -o ${RESGEN} ${CMAKE_SOURCE_DIR}/tools/resgen.cpp
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
  OBJECT_DEPENDS "${RES_OUT}/app.ico;${RES_OUT}/hand.cur;${RES_OUT}/rows.bmp")

function(add_quorvel_exe name)
  add_executable(${name} WIN32 src/app/main.cpp src/res/quorvel.rc)
  add_dependencies(${name} quorvel_art)
  target_include_directories(${name} PRIVATE ${RES_OUT} src/res)
  target_compile_options(${name} PRIVATE ${SMALL_CODE})
  target_link_libraries(${name} quorvel_core)
  target_link_options(${name} PRIVATE ${STATIC_RUNTIME} -s -Wl,--gc-sections)
endfunction()

add_quorvel_exe(Quorvel)
# A build without the row-image strip, for the start-up failure test.
add_quorvel_exe(QuorvelNoRowImages)
target_compile_definitions(QuorvelNoRowImages PRIVATE QUORVEL_WITHOUT_ROW_IMAGES)

# GoogleTest from Debian's sources, built with the posix-thread MinGW compiler.
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

file(GLOB WIN_TEST_SUPPORT CONFIGURE_DEPENDS tests/win/support/*.cpp)
file(GLOB WIN_TESTS CONFIGURE_DEPENDS tests/win/*_test.cpp)
foreach(test_source ${WIN_TESTS})
  get_filename_component(test_name ${test_source} NAME_WE)
  add_executable(${test_name} ${test_source} ${WIN_TEST_SUPPORT} tests/support/reference_walk.cpp)
  target_include_directories(${test_name} PRIVATE tests/win)
  target_link_libraries(${test_name} quorvel_core gtest_main psapi)
  target_link_options(${test_name} PRIVATE ${STATIC_RUNTIME})
  add_test(NAME win_${test_name} COMMAND ${test_name})
endforeach()

file(GLOB WIN_BENCHES CONFIGURE_DEPENDS bench/*_win.cpp)
foreach(bench_source ${WIN_BENCHES})
  get_filename_component(bench_name ${bench_source} NAME_WE)
  string(REPLACE "_win" "" bench_name ${bench_name})
  string(REPLACE "_" "-" bench_name ${bench_name})
  add_executable(${bench_name} ${bench_source} tests/support/reference_walk.cpp)
  target_include_directories(${bench_name} PRIVATE bench)
  target_link_libraries(${bench_name} quorvel_core psapi)
  target_link_options(${bench_name} PRIVATE ${STATIC_RUNTIME})
endforeach()

file(GLOB E2E_TOOLS CONFIGURE_DEPENDS tests/e2e/*.cpp)
foreach(tool_source ${E2E_TOOLS})
  get_filename_component(tool_name ${tool_source} NAME_WE)
  add_executable(${tool_name} ${tool_source})
  target_link_libraries(${tool_name} ${WIN_LIBS})
  target_link_options(${tool_name} PRIVATE ${STATIC_RUNTIME})
endforeach()
