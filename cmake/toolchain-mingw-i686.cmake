# Cross build of the 32-bit Windows module with MinGW-w64 (posix thread model).
# Programs built here run under Wine through kxvds-wine.sh.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(KXVDS_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_C_COMPILER ${KXVDS_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KXVDS_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KXVDS_MINGW_TRIPLE}-windres)
set(CMAKE_DLLTOOL ${KXVDS_MINGW_TRIPLE}-dlltool)

set(CMAKE_FIND_ROOT_PATH /usr/${KXVDS_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C++ runtime, libgcc and winpthread go into every binary, so that a
# module or program imports nothing but the system's own DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Each build tree has its own Wine prefix, made on first use.
set(CMAKE_CROSSCOMPILING_EMULATOR
    "${CMAKE_CURRENT_LIST_DIR}/kxvds-wine.sh;${CMAKE_BINARY_DIR}/wineprefix")
