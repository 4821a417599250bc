# Fuzz build (clang): one libFuzzer exe per fuzz/*Fuzzer.cpp, named after it
# (LoadSaveFuzzer.cpp gives load_save_fuzzer), over the platform-free sources,
# under AddressSanitizer and UndefinedBehaviorSanitizer. Run them with
# scripts/fuzz.sh (make fuzz).
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "The fuzz build needs clang (libFuzzer); use the fuzz preset.")
endif()

set(KMX_FUZZ_FLAGS -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
    -fno-omit-frame-pointer)
# A library gets the instrumentation without libFuzzer's main.
set(KMX_FUZZ_LIBRARY_FLAGS -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
    -fno-omit-frame-pointer)
# -O1 keeps the executions per second up; -g (Debug) keeps the stack traces readable.
set(KMX_FUZZ_COMPILE ${KMX_WARNINGS} -O1)

# The code under test, instrumented once for every fuzzer.
add_library(kmx_fuzz_core STATIC ${KMX_SETTINGS_SOURCES} ${KMX_FORMATS_SOURCES} ${KMX_CLI_CORE_SOURCES})
target_include_directories(kmx_fuzz_core PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/resources)
target_compile_options(kmx_fuzz_core PRIVATE ${KMX_FUZZ_COMPILE} ${KMX_FUZZ_LIBRARY_FLAGS})

# The in-memory registry the fuzzers load from and save to.
add_library(kmx_test_support STATIC ${KMX_TEST_SUPPORT_SOURCES})
target_link_libraries(kmx_test_support PUBLIC kmx_fuzz_core)
target_include_directories(kmx_test_support PUBLIC ${CMAKE_SOURCE_DIR}/tests)
target_compile_options(kmx_test_support PRIVATE ${KMX_FUZZ_COMPILE} ${KMX_FUZZ_LIBRARY_FLAGS})

file(GLOB KMX_FUZZERS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/*Fuzzer.cpp)
foreach(source ${KMX_FUZZERS})
  get_filename_component(stem ${source} NAME_WE)
  string(REGEX REPLACE "([a-z0-9])([A-Z])" "\\1_\\2" name ${stem})
  string(TOLOWER ${name} name)
  add_executable(${name} ${source})
  target_link_libraries(${name} PRIVATE kmx_test_support kmx_fuzz_core)
  target_compile_options(${name} PRIVATE ${KMX_FUZZ_COMPILE} ${KMX_FUZZ_FLAGS})
  target_link_options(${name} PRIVATE ${KMX_FUZZ_FLAGS})
endforeach()
