# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 compilers, the
# POSIX thread model (std::thread, std::mutex). Every program links its
# runtime statically (libstdc++, libgcc, winpthread): one .exe that runs on a
# bare Windows 10 or 11. Tests run under Wine (scripts/wine-run.sh).
#   cmake -S . -B build-windows --toolchain cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KINFOLD_MINGW_TRIPLE x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${KINFOLD_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KINFOLD_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KINFOLD_MINGW_TRIPLE}-windres)

# Libraries and headers of the target only; the build's own programs from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${KINFOLD_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# The test programs run (and are listed, for CTest) under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
# One kinfold.exe with nothing beside it: zlib linked in too.
set(ZLIB_USE_STATIC_LIBS ON)
