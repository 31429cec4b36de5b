# The part of a MinGW-w64 cross toolchain (posix thread model) that is the
# same for both Windows architectures; the including file sets
# KXVDS_MINGW_TRIPLE and CMAKE_SYSTEM_PROCESSOR first.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${KXVDS_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KXVDS_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KXVDS_MINGW_TRIPLE}-windres)
set(CMAKE_DLLTOOL ${KXVDS_MINGW_TRIPLE}-dlltool)

set(CMAKE_FIND_ROOT_PATH /usr/${KXVDS_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The defences Windows users expect of a binary: stack cookies, and a PE
# image that the loader may place anywhere and that keeps data from running
# (plus the whole 64-bit address space on x64), stated rather than left to
# the linker's defaults.
set(KXVDS_PE_FLAGS "-Wl,--dynamicbase -Wl,--nxcompat")
if(CMAKE_SYSTEM_PROCESSOR STREQUAL AMD64)
  string(APPEND KXVDS_PE_FLAGS " -Wl,--high-entropy-va")
endif()
set(CMAKE_C_FLAGS_INIT "-fstack-protector-strong")
set(CMAKE_CXX_FLAGS_INIT "-fstack-protector-strong")

# The C++ runtime, libgcc, winpthread and the stack-protector runtime go into
# every binary, so that a module or program imports nothing but the system's
# own DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -fstack-protector-strong ${KXVDS_PE_FLAGS}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -fstack-protector-strong ${KXVDS_PE_FLAGS}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -fstack-protector-strong ${KXVDS_PE_FLAGS}")

# Each build tree has its own Wine prefix, made on first use; the script
# picks the Wine loader that fits the architecture.
set(CMAKE_CROSSCOMPILING_EMULATOR
    "${CMAKE_CURRENT_LIST_DIR}/kxvds-wine.sh;${KXVDS_WINE_ARCH};${CMAKE_BINARY_DIR}/wineprefix")
