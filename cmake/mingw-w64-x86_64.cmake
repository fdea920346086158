# Cross-builds for 64-bit Windows with Debian's MinGW-w64 (posix threads), and
# runs what it builds under Wine. scripts/install-deps-windows stages the
# dependencies in .cache/windows/prefix, where this file finds them.
#   cmake -S . -B build-windows --toolchain cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# Only MinGW's own sysroot and the staged prefix: /usr holds Linux builds and
# glibc's headers.
get_filename_component(HOOK_CHAIN_WINDOWS_PREFIX "${CMAKE_CURRENT_LIST_DIR}/../.cache/windows/prefix"
                       ABSOLUTE)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 "${HOOK_CHAIN_WINDOWS_PREFIX}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Debian keeps utfcpp's package file under its multiarch folder, which a
# Windows target does not search.
set(utf8cpp_DIR "${HOOK_CHAIN_WINDOWS_PREFIX}/lib/x86_64-linux-gnu/cmake/utf8cpp")

# Without MinGW's runtime DLLs beside it a dynamically linked program exits 53
# under Wine before main: link everything in.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run")
