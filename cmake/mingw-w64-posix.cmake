# Cross-compiling for 64-bit Windows with MinGW-w64's posix-thread compilers
# (the win32-thread GCC 12 has no std::mutex, which GoogleTest needs).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KMX_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KMX_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KMX_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KMX_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KMX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# One self-contained exe: libgcc, libstdc++ and winpthread are linked in, so
# the program imports only system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Test executables are run under Wine by ctest.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-exec.sh)
