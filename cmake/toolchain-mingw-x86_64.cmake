# Cross build of the 64-bit Windows module: clang and lld for the MinGW-w64
# target. Programs built here run under wine64, which needs no 32-bit
# support from the kernel.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(KXVDS_MINGW_TRIPLE x86_64-w64-mingw32)
set(KXVDS_DEBIAN_ARCH x86-64)
set(KXVDS_WINE_ARCH win64)
include(${CMAKE_CURRENT_LIST_DIR}/KXMingwToolchain.cmake)
