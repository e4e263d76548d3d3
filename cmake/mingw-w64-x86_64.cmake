# Cross-builds for 64-bit Windows with Debian's MinGW-w64 (posix threads, for
# std::thread and std::mutex), linking the C and C++ runtimes statically so the
# programs need only Windows' own DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)
set(CMAKE_AR ${triple}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${triple}-gcc-ranlib-posix CACHE FILEPATH "")

# Our cross-built libraries (build-windows/deps) come before the MinGW sysroot.
set(VESK_WINDOWS_DEPS "${CMAKE_CURRENT_LIST_DIR}/../build-windows/deps" CACHE PATH "Cross-built libraries")
set(CMAKE_FIND_ROOT_PATH "${VESK_WINDOWS_DEPS}" /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# FindZLIB would otherwise take zlib's DLL import library.
set(ZLIB_USE_STATIC_LIBS ON)

# Test programs built here run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
