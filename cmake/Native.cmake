# Native build: the platform-free code and its unit tests, plain and under
# AddressSanitizer + UndefinedBehaviorSanitizer.
kmx_sources(KMX_NATIVE_TEST_SOURCES tests/native)

set(KMX_SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)

kmx_platform_free_libs("")
kmx_platform_free_libs("_asan")
foreach(suffix "" "_asan")
  add_library(kmx_test_support${suffix} STATIC ${KMX_TEST_SUPPORT_SOURCES})
  target_link_libraries(kmx_test_support${suffix} PUBLIC kmx_settings${suffix})
  target_include_directories(kmx_test_support${suffix} PUBLIC ${CMAKE_SOURCE_DIR}/tests)
  target_compile_options(kmx_test_support${suffix} PRIVATE ${KMX_WARNINGS})
endforeach()
foreach(lib kmx_settings_asan kmx_formats_asan kvxshared_asan kmx_cli_core_asan kmx_test_support_asan)
  target_compile_options(${lib} PRIVATE ${KMX_SANITIZE})
  target_link_options(${lib} PUBLIC ${KMX_SANITIZE})
endforeach()

function(kmx_native_tests name suffix)
  add_executable(${name} ${KMX_NATIVE_TEST_SOURCES} ${KMX_SHARED_TEST_SOURCES})
  target_link_libraries(${name} PRIVATE kmx_test_support${suffix} kmx_cli_core${suffix} kmx_formats${suffix} kvxshared${suffix} kmx_settings${suffix}
                                        GTest::gtest_main)
  # The window's platform-free tables (ui/*.h) name controls from resource.h.
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/resources)
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
endfunction()

kmx_native_tests(native_tests "")
kmx_native_tests(native_tests_asan "_asan")
target_compile_options(native_tests_asan PRIVATE ${KMX_SANITIZE})
set_tests_properties(native_tests_asan PROPERTIES
  ENVIRONMENT "ASAN_OPTIONS=detect_leaks=1:abort_on_error=0;UBSAN_OPTIONS=print_stacktrace=1")

# The start-up benchmark's clock on the X side (`make bench`): from launching
# a program under Wine until its window is mapped on the X server.
find_package(X11)
if(X11_FOUND)
  add_executable(map_clock ${CMAKE_SOURCE_DIR}/bench/MapClock.cpp)
  target_link_libraries(map_clock PRIVATE X11::X11)
  target_compile_options(map_clock PRIVATE ${KMX_WARNINGS})
endif()
