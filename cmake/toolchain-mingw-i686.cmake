# Cross build of the 32-bit Windows module: clang and lld for the MinGW-w64
# target. Programs built here run under 32-bit Wine, which needs a kernel
# that runs 32-bit code.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(KXVDS_MINGW_TRIPLE i686-w64-mingw32)
set(KXVDS_DEBIAN_ARCH i686)
set(KXVDS_WINE_ARCH win32)
include(${CMAKE_CURRENT_LIST_DIR}/KXMingwToolchain.cmake)
