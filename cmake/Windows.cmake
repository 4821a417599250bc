# Windows build (cross-compiled): the program and the tests that run under Wine.
enable_language(RC)
kmx_sources(KMX_FRAMEWORK_SOURCES framework)
kmx_sources(KMX_SYSTEM_SOURCES system)
kmx_sources(KMX_UI_SOURCES ui)
kmx_sources(KMX_APP_SOURCES app)
kmx_sources(KMX_WINE_TEST_SOURCES tests/wine)
file(GLOB KMX_WINE_TEST_RESOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/wine/*.rc)

add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

kmx_platform_free_libs("")

# The dialog framework knows nothing of this tool.
add_library(kmx_framework STATIC ${KMX_FRAMEWORK_SOURCES})
target_include_directories(kmx_framework PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(kmx_framework PUBLIC user32 gdi32 comctl32 kernel32)
target_compile_options(kmx_framework PRIVATE ${KMX_WARNINGS})

# The Windows side both programs share: the advapi32 registry, the
# file-system checks, files written whole, the machine's factory defaults.
add_library(kmx_system STATIC ${KMX_SYSTEM_SOURCES})
target_link_libraries(kmx_system PUBLIC kvxshared kmx_settings advapi32 kernel32)
target_compile_options(kmx_system PRIVATE ${KMX_WARNINGS})

add_library(kmx_ui STATIC ${KMX_UI_SOURCES})
target_link_libraries(kmx_ui PUBLIC kmx_framework kmx_system kvxshared kmx_settings)
target_include_directories(kmx_ui PUBLIC ${CMAKE_SOURCE_DIR}/resources)
target_compile_options(kmx_ui PRIVATE ${KMX_WARNINGS})

set(KMX_RESOURCE_FILE ${CMAKE_SOURCE_DIR}/resources/KMXLogCtl.rc)
set_source_files_properties(${KMX_RESOURCE_FILE} PROPERTIES
  OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/resources/resource.h;${CMAKE_SOURCE_DIR}/resources/KMXLogCtl.ico;${CMAKE_SOURCE_DIR}/resources/KMXLogCtl.manifest")

add_executable(KMXLogCtl WIN32 ${KMX_APP_SOURCES} ${KMX_RESOURCE_FILE})
target_link_libraries(KMXLogCtl PRIVATE kmx_ui)
target_include_directories(KMXLogCtl PRIVATE ${CMAKE_SOURCE_DIR}/resources)
target_compile_options(KMXLogCtl PRIVATE ${KMX_WARNINGS})
target_link_options(KMXLogCtl PRIVATE -municode -s)
set_target_properties(KMXLogCtl PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# Wine runs in a project-local prefix with its own Xvfb; a ctest fixture sets
# both up once per run and tears them down at the end.
set(KMX_WINE_SCRIPT ${CMAKE_SOURCE_DIR}/scripts/wine-session.sh)
add_test(NAME wine_setup COMMAND ${KMX_WINE_SCRIPT} start)
add_test(NAME wine_cleanup COMMAND ${KMX_WINE_SCRIPT} stop)
set_tests_properties(wine_setup PROPERTIES FIXTURES_SETUP wine TIMEOUT 180)
set_tests_properties(wine_cleanup PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60)

function(kmx_wine_test name)
  add_test(NAME ${name} COMMAND ${name} ${ARGN})
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK wine_desktop)
endfunction()

file(GLOB KMX_WIN32_TEST_SUPPORT_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/support/win32/*.cpp)
add_library(kmx_test_support STATIC ${KMX_TEST_SUPPORT_SOURCES} ${KMX_WIN32_TEST_SUPPORT_SOURCES})
target_link_libraries(kmx_test_support PUBLIC kmx_framework kmx_settings)
target_include_directories(kmx_test_support PUBLIC ${CMAKE_SOURCE_DIR}/tests)
target_compile_options(kmx_test_support PRIVATE ${KMX_WARNINGS})

if(KMX_WINE_TEST_SOURCES OR KMX_SHARED_TEST_SOURCES)
  add_executable(wine_tests ${KMX_WINE_TEST_SOURCES} ${KMX_SHARED_TEST_SOURCES}
                            ${KMX_RESOURCE_FILE} ${KMX_WINE_TEST_RESOURCES})
  target_link_libraries(wine_tests PRIVATE kmx_test_support kmx_ui GTest::gtest_main)
  target_include_directories(wine_tests PRIVATE ${CMAKE_SOURCE_DIR}/resources
                                                ${CMAKE_SOURCE_DIR}/tests/wine
                                                ${CMAKE_SOURCE_DIR}/tests)
  kmx_wine_test(wine_tests --gtest_brief=1)
endif()

# A test exe that starts one of the programs as a process of its own (found
# beside the test) and works it from outside, under Wine.
function(kmx_process_test name folder program)
  kmx_sources(sources ${folder})
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE GTest::gtest_main user32 advapi32)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/resources
                                             ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/${folder})
  target_compile_options(${name} PRIVATE ${KMX_WARNINGS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  add_dependencies(${name} ${program})
  kmx_wine_test(${name} --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES TIMEOUT 120)
endfunction()

# End-to-end tests: the window, worked through window messages.
kmx_process_test(e2e_tests tests/e2e KMXLogCtl)

# Start-up benchmark (`make bench`): the program against dialogs that show the
# main window's template, bare or with the program's shown state replayed, and
# the console companion against a program that prints one line.
add_executable(minimal_dialog WIN32 ${CMAKE_SOURCE_DIR}/bench/MinimalDialog.cpp ${KMX_RESOURCE_FILE})
target_link_libraries(minimal_dialog PRIVATE comctl32 user32 advapi32)
target_include_directories(minimal_dialog PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/resources)
target_compile_options(minimal_dialog PRIVATE ${KMX_WARNINGS})
target_link_options(minimal_dialog PRIVATE -municode -s)
set_target_properties(minimal_dialog PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# The console companion's yardstick: print one line, exit.
add_executable(hello_console ${CMAKE_SOURCE_DIR}/bench/HelloConsole.cpp)
target_compile_options(hello_console PRIVATE ${KMX_WARNINGS})
target_link_options(hello_console PRIVATE -municode -s)
set_target_properties(hello_console PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# The breakdown's probed builds: the program and the same-window floor with
# time stamps at the steps of a start.
add_executable(probed_start WIN32 ${CMAKE_SOURCE_DIR}/bench/ProbedStart.cpp ${KMX_RESOURCE_FILE})
target_link_libraries(probed_start PRIVATE kmx_ui)
target_include_directories(probed_start PRIVATE ${CMAKE_SOURCE_DIR}/resources)
target_compile_options(probed_start PRIVATE ${KMX_WARNINGS})
target_link_options(probed_start PRIVATE -municode -s)
set_target_properties(probed_start PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
add_executable(probed_floor WIN32 ${CMAKE_SOURCE_DIR}/bench/MinimalDialog.cpp ${KMX_RESOURCE_FILE})
target_compile_definitions(probed_floor PRIVATE KMX_BENCH_PROBES)
target_link_libraries(probed_floor PRIVATE comctl32 user32 advapi32)
target_include_directories(probed_floor PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/resources)
target_compile_options(probed_floor PRIVATE ${KMX_WARNINGS})
target_link_options(probed_floor PRIVATE -municode -s)
set_target_properties(probed_floor PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

add_executable(startup_bench ${CMAKE_SOURCE_DIR}/bench/StartupBench.cpp)
target_link_libraries(startup_bench PRIVATE psapi user32 advapi32)
target_compile_options(startup_bench PRIVATE ${KMX_WARNINGS})
target_link_options(startup_bench PRIVATE -municode)
set_target_properties(startup_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
add_dependencies(startup_bench KMXLogCtl minimal_dialog probed_start probed_floor kmxlogcfg hello_console)

# The console companion for administrators' scripts.
# Its platform-free core is kmx_cli_core; cli/win32/ holds its own Windows
# side (console, Task Scheduler, directory listing, collect's files).
file(GLOB KMX_CLI_WIN32_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/cli/win32/*.cpp)
add_library(kmx_cli_win32 STATIC ${KMX_CLI_WIN32_SOURCES})
target_link_libraries(kmx_cli_win32 PUBLIC kmx_cli_core kmx_system kvxshared kmx_settings)
# The time box's one-shot task: the Task Scheduler's COM API (ole32,
# oleaut32 for its strings; taskschd holds only its GUIDs).
target_link_libraries(kmx_cli_win32 PUBLIC ole32 oleaut32 taskschd)
target_compile_options(kmx_cli_win32 PRIVATE ${KMX_WARNINGS})

# The console program, and its windowless twin from the same sources: what
# the time box's logon entry and task run, so that no console window opens
# at logon.
foreach(program kmxlogcfg kmxlogcfgw)
  if(program STREQUAL "kmxlogcfgw")
    add_executable(${program} WIN32 ${CMAKE_SOURCE_DIR}/cli/Main.cpp)
  else()
    add_executable(${program} ${CMAKE_SOURCE_DIR}/cli/Main.cpp)
  endif()
  target_link_libraries(${program} PRIVATE kmx_cli_win32)
  target_compile_options(${program} PRIVATE ${KMX_WARNINGS})
  target_link_options(${program} PRIVATE -municode -s)
  set_target_properties(${program} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
endforeach()

# The console companion under Wine: its .reg files against Wine's reg and
# regedit, its refusals and its output on pipes, on the prefix's registry.
kmx_process_test(cli_wine_tests tests/cli-wine kmxlogcfg)
add_dependencies(cli_wine_tests kmxlogcfgw)
# Its time boxes wait for Wine's Task Scheduler, which does not answer.
set_tests_properties(cli_wine_tests PROPERTIES TIMEOUT 300)
# collect's zip from that suite, read back by unzip, Python's zipfile and 7z.
add_test(NAME cli_wine_collect_readers
         COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/cli-wine/check_collect_zip.py ${CMAKE_BINARY_DIR}/collect-journey)
set_tests_properties(cli_wine_collect_readers PROPERTIES DEPENDS cli_wine_tests)
# A time box across a new Wine session, which ends the server: run from outside.
add_test(NAME cli_wine_timebox COMMAND ${CMAKE_SOURCE_DIR}/tests/cli-wine/timebox-journey.sh $<TARGET_FILE:kmxlogcfg>)
set_tests_properties(cli_wine_timebox PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK wine_desktop TIMEOUT 120)

# Version resources of both programs, and the MSI and zip that carry them.
include(cmake/Version.cmake)
include(cmake/PolicyTemplates.cmake)
include(cmake/Package.cmake)
