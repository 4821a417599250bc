# Fuzz build (clang): the load/save fuzzer over the settings sources, under
# libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer. Run it with
# scripts/fuzz.sh (make fuzz).
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "The fuzz build needs clang (libFuzzer); use the fuzz preset.")
endif()

set(KMX_FUZZ_FLAGS -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
    -fno-omit-frame-pointer)

file(GLOB KMX_FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/*.cpp)
add_executable(load_save_fuzzer ${KMX_FUZZ_SOURCES} ${KMX_SETTINGS_SOURCES})
target_include_directories(load_save_fuzzer PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/resources)
# -O1 keeps the executions per second up; -g (Debug) keeps the stack traces readable.
target_compile_options(load_save_fuzzer PRIVATE ${KMX_WARNINGS} -O1 ${KMX_FUZZ_FLAGS})
target_link_options(load_save_fuzzer PRIVATE ${KMX_FUZZ_FLAGS})
