# Windows build: the program folder dist/, the window tests and the benchmarks.
enable_testing()
set(DIST_DIR ${CMAKE_SOURCE_DIR}/dist)

set(WIN_COMMON_FLAGS -Wall -Wextra -Wno-missing-field-initializers -municode -DUNICODE -D_UNICODE -DWIN32_LEAN_AND_MEAN -DNOMINMAX -D_WIN32_WINNT=0x0A00)
target_compile_options(mekuri_core PRIVATE -DUNICODE -D_UNICODE -DNOMINMAX)
set(WIN_LIBS comctl32 user32 gdi32 shell32 advapi32 uxtheme)

add_library(mekuri_win STATIC ${WIN32_SOURCES})
target_compile_options(mekuri_win PRIVATE ${WIN_COMMON_FLAGS})
target_link_libraries(mekuri_win PUBLIC mekuri_core ${WIN_LIBS})

find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(GEN_RES_DIR ${CMAKE_BINARY_DIR}/generated)
set(GEN_ICONS ${GEN_RES_DIR}/Mekurinote.ico ${GEN_RES_DIR}/Tray1.ico ${GEN_RES_DIR}/Tray2.ico)
add_custom_command(OUTPUT ${GEN_ICONS}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${GEN_RES_DIR}
  COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tools/make_icon.py ${GEN_ICONS}
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/make_icon.py)
set_source_files_properties(${CMAKE_SOURCE_DIR}/res/Mekurinote.rc PROPERTIES
  OBJECT_DEPENDS "${GEN_ICONS};${CMAKE_SOURCE_DIR}/res/Mekurinote.manifest")
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${GEN_RES_DIR} -I${CMAKE_SOURCE_DIR}/res")
enable_language(RC)

add_executable(Mekurinote WIN32 ${CMAKE_SOURCE_DIR}/src/startup/win32/main.cpp ${CMAKE_SOURCE_DIR}/res/Mekurinote.rc)
target_compile_options(Mekurinote PRIVATE ${WIN_COMMON_FLAGS})
target_link_options(Mekurinote PRIVATE -static -s -municode -mwindows)
target_link_libraries(Mekurinote PRIVATE mekuri_win)
set_target_properties(Mekurinote PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${DIST_DIR})
foreach(cfg IN ITEMS DEBUG RELEASE RELWITHDEBINFO MINSIZEREL)
  set_target_properties(Mekurinote PROPERTIES RUNTIME_OUTPUT_DIRECTORY_${cfg} ${DIST_DIR})
endforeach()

# GoogleTest built from source with the cross compiler.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

file(GLOB WIN_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*.cpp)
# The tests carry the program's resources (icons, manifest), as the program does.
add_executable(win_tests ${WIN_TEST_SOURCES} ${CMAKE_SOURCE_DIR}/res/Mekurinote.rc)
target_compile_options(win_tests PRIVATE ${WIN_COMMON_FLAGS})
target_link_options(win_tests PRIVATE -static -municode)
target_link_libraries(win_tests PRIVATE mekuri_win gtest imm32)
add_test(NAME win_tests COMMAND win_tests --gtest_brief=1)
# Wine ends a process that runs out of window handles with exit code 0, so a
# run counts only when GoogleTest reached its summary and reported no failure.
set_tests_properties(win_tests PROPERTIES TIMEOUT 900
  PASS_REGULAR_EXPRESSION "tests? from [0-9]+ test suites? ran" FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\]")

# The profile engine against the platform's own profile functions.
file(GLOB PLATFORM_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/platform/*.cpp)
if(PLATFORM_TEST_SOURCES)
  add_executable(platform_tests ${PLATFORM_TEST_SOURCES})
  target_compile_options(platform_tests PRIVATE -DNOMINMAX)
  target_link_options(platform_tests PRIVATE -static)
  target_link_libraries(platform_tests PRIVATE mekuri_core gtest gtest_main)
  add_test(NAME platform_tests COMMAND platform_tests --gtest_brief=1)
  set_tests_properties(platform_tests PROPERTIES TIMEOUT 900)
endif()

file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*.cpp)
foreach(src IN LISTS BENCH_SOURCES)
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  target_compile_options(${name} PRIVATE -DNOMINMAX)
  target_link_options(${name} PRIVATE -static)
  target_link_libraries(${name} PRIVATE mekuri_core)
endforeach()
target_link_libraries(idle_clock_window PRIVATE comctl32)

# The benchmark that loads the real windows in its own process, as the window
# tests do.
add_executable(window_bench ${CMAKE_SOURCE_DIR}/bench/win32/window_bench.cpp ${CMAKE_SOURCE_DIR}/res/Mekurinote.rc)
target_compile_options(window_bench PRIVATE ${WIN_COMMON_FLAGS})
target_link_options(window_bench PRIVATE -static -municode)
target_link_libraries(window_bench PRIVATE mekuri_win)

# The worker that tests/crash/crash_under_wine.sh kills; it loads QzlCmn.dll as the program does.
add_executable(crash_worker ${CMAKE_SOURCE_DIR}/tests/crash/crash_worker.cpp)
target_compile_options(crash_worker PRIVATE ${WIN_COMMON_FLAGS})
target_link_options(crash_worker PRIVATE -static -municode)
target_link_libraries(crash_worker PRIVATE mekuri_win)

# The end-to-end scripts' look into the running program from outside.
add_executable(e2e_driver ${CMAKE_SOURCE_DIR}/tests/e2e/driver/e2e_driver.cpp)
target_compile_options(e2e_driver PRIVATE ${WIN_COMMON_FLAGS})
target_link_options(e2e_driver PRIVATE -static -municode)

# QzlCmn.dll, the cipher library the memo file relies on; the program loads
# it at run time from its own folder.
file(GLOB QZL_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/cipher/*.cpp)
if(QZL_SOURCES)
  add_library(QzlCmn SHARED ${QZL_SOURCES} ${CMAKE_SOURCE_DIR}/cipher/QzlCmn.def)
  set_target_properties(QzlCmn PROPERTIES PREFIX "" OUTPUT_NAME QzlCmn
    RUNTIME_OUTPUT_DIRECTORY ${DIST_DIR} RUNTIME_OUTPUT_DIRECTORY_RELEASE ${DIST_DIR}
    RUNTIME_OUTPUT_DIRECTORY_DEBUG ${DIST_DIR})
  target_link_options(QzlCmn PRIVATE -static -s -Wl,--kill-at)
  add_dependencies(Mekurinote QzlCmn)
endif()

# ShellExecute.exe, the launcher the readme command starts from the program
# folder; it opens the file it is given with its associated application.
add_executable(ShellExecute WIN32 ${CMAKE_SOURCE_DIR}/launcher/ShellExecute.cpp
  ${CMAKE_SOURCE_DIR}/launcher/ShellExecute.rc)
set_source_files_properties(${CMAKE_SOURCE_DIR}/launcher/ShellExecute.rc PROPERTIES
  OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/launcher/ShellExecute.manifest)
target_include_directories(ShellExecute PRIVATE ${CMAKE_SOURCE_DIR}/launcher)
target_compile_options(ShellExecute PRIVATE ${WIN_COMMON_FLAGS})
target_link_options(ShellExecute PRIVATE -static -s -municode -mwindows)
target_link_libraries(ShellExecute PRIVATE shell32 ole32)
set_target_properties(ShellExecute PROPERTIES OUTPUT_NAME ShellExecute RUNTIME_OUTPUT_DIRECTORY ${DIST_DIR})
foreach(cfg IN ITEMS DEBUG RELEASE RELWITHDEBINFO MINSIZEREL)
  set_target_properties(ShellExecute PROPERTIES RUNTIME_OUTPUT_DIRECTORY_${cfg} ${DIST_DIR})
endforeach()

# 読んで☆.txt, the user's guide: written in UTF-8 under docs/, shipped in code
# page 932 with CR LF. The script fails the build on a character that code
# page 932 cannot hold.
set(README_OUT "${DIST_DIR}/読んで☆.txt")
add_custom_command(OUTPUT "${README_OUT}"
  COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tools/make_readme.py
          ${CMAKE_SOURCE_DIR}/docs/readme-ja.txt "${README_OUT}"
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/make_readme.py ${CMAKE_SOURCE_DIR}/docs/readme-ja.txt
  VERBATIM)
add_custom_target(readme ALL DEPENDS "${README_OUT}")
# Building the program alone still gives a complete program folder.
add_dependencies(Mekurinote ShellExecute readme)

# Jihou.wav, the hourly chime, synthesised by the build. The version window
# names the CMake that built it.
set(CHIME_OUT ${DIST_DIR}/Jihou.wav)
add_custom_command(OUTPUT ${CHIME_OUT}
  COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tools/make_chime.py ${CHIME_OUT}
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/make_chime.py
  VERBATIM)
add_custom_target(chime ALL DEPENDS ${CHIME_OUT})
add_dependencies(Mekurinote chime)
set_source_files_properties(${CMAKE_SOURCE_DIR}/src/about/win32/FormVer.cpp PROPERTIES
  COMPILE_DEFINITIONS "MEKURI_CMAKE_VERSION=\"${CMAKE_VERSION}\"")
