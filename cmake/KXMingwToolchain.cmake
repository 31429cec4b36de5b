# What the Windows cross toolchain is for both architectures; the including
# file sets KXVDS_MINGW_TRIPLE, KXVDS_DEBIAN_ARCH and CMAKE_SYSTEM_PROCESSOR
# first. clang compiles for the MinGW-w64 target and
# lld links, so that each binary comes with a CodeView PDB, which Microsoft's
# debuggers read (they read no DWARF). The C++ runtime stays Debian's
# MinGW-w64 GCC one (posix threads): its libstdc++, libgcc and libssp, and
# winpthread, all linked statically.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${KXVDS_MINGW_TRIPLE})
set(CMAKE_CXX_COMPILER_TARGET ${KXVDS_MINGW_TRIPLE})
# llvm-rc behind GNU windres's command line; clang preprocesses the scripts.
find_program(KXVDS_LLVM_WINDRES NAMES llvm-windres llvm-windres-14 REQUIRED)
set(CMAKE_RC_COMPILER ${KXVDS_LLVM_WINDRES})
# GNU dlltool: its "==" binds the MinGW import library's name to the
# decorated export (llvm-dlltool 14 leaves that name undefined).
set(CMAKE_DLLTOOL ${KXVDS_MINGW_TRIPLE}-dlltool)

# MinGW-w64's headers and libraries, and nothing of the host's: without a
# sysroot clang would search /usr/include after them.
set(CMAKE_SYSROOT /usr/${KXVDS_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH /usr/${KXVDS_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# clang 14 does not find Debian's GCC folder by itself (it cannot read a
# version named "12-posix"), so the runtime's headers, libraries and start
# files are named here.
file(GLOB KXVDS_MINGW_GCC_DIRS LIST_DIRECTORIES true /usr/lib/gcc/${KXVDS_MINGW_TRIPLE}/*-posix/include/c++)
if(NOT KXVDS_MINGW_GCC_DIRS)
  message(FATAL_ERROR "no MinGW-w64 GCC runtime (posix threads) under /usr/lib/gcc/${KXVDS_MINGW_TRIPLE}: "
                      "install g++-mingw-w64-${KXVDS_DEBIAN_ARCH}-posix")
endif()
# The newest, should there be more than one.
list(SORT KXVDS_MINGW_GCC_DIRS COMPARE NATURAL ORDER DESCENDING)
list(GET KXVDS_MINGW_GCC_DIRS 0 KXVDS_MINGW_GCC_DIR)
get_filename_component(KXVDS_MINGW_GCC_DIR ${KXVDS_MINGW_GCC_DIR}/../.. ABSOLUTE)
set(gcc_cxx ${KXVDS_MINGW_GCC_DIR}/include/c++)
set(KXVDS_CXX_RUNTIME_FLAGS "-stdlib++-isystem ${gcc_cxx} -stdlib++-isystem ${gcc_cxx}/${KXVDS_MINGW_TRIPLE} -stdlib++-isystem ${gcc_cxx}/backward")
unset(gcc_cxx)
set(KXVDS_RUNTIME_LINK_FLAGS "-L${KXVDS_MINGW_GCC_DIR} -B${KXVDS_MINGW_GCC_DIR}/ -pthread")
# The resource compiler's preprocessor reads MinGW's headers only, as clang does.
set(CMAKE_RC_FLAGS_INIT "--target=${KXVDS_MINGW_TRIPLE} --preprocessor-arg=--sysroot=${CMAKE_SYSROOT}")

# The defences Windows users expect of a binary: stack cookies, and a PE
# image that the loader may place anywhere and that keeps data from running
# (plus the whole 64-bit address space on x64), stated rather than left to
# the linker's defaults. clang 14 has no control-flow guard for this target
# (no -mguard=cf, and lld has no --guard-cf; MinGW-w64 10's runtime has no
# __guard_dispatch_icall_fptr either).
set(KXVDS_PE_FLAGS "-Wl,--dynamicbase -Wl,--nxcompat")
if(CMAKE_SYSTEM_PROCESSOR STREQUAL AMD64)
  string(APPEND KXVDS_PE_FLAGS " -Wl,--high-entropy-va")
endif()
# Symbols in every configuration, which lld gathers into a PDB named after
# each binary and written beside it; the binary names its PDB without a
# folder, so no build path ships and a debugger looks beside the binary.
# clang writes them as CodeView where the project asks (-gcodeview, a
# compile option in cmake/KXPlatform.cmake: on a link line clang would call
# it unused). The runtime's archives bring DWARF, which lld copies into the
# image; the SDK archive strips it (llvm-strip keeps the debug directory).
set(KXVDS_PDB_FLAGS "-Wl,--pdb= -Wl,--Xlink=-pdbaltpath:%_PDB%")
set(CMAKE_C_FLAGS_INIT "-fstack-protector-strong -g")
set(CMAKE_CXX_FLAGS_INIT "-fstack-protector-strong -g ${KXVDS_CXX_RUNTIME_FLAGS}")

# The C++ runtime, libgcc, winpthread and the stack-protector runtime go into
# every binary, so that a module or program imports nothing but the system's
# own DLLs.
set(link_flags "-fuse-ld=lld -static -fstack-protector-strong ${KXVDS_RUNTIME_LINK_FLAGS} ${KXVDS_PE_FLAGS} ${KXVDS_PDB_FLAGS}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${link_flags}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${link_flags}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${link_flags}")
unset(link_flags)

# Each build tree has its own Wine prefix, made on first use; the script
# picks the Wine loader that fits the architecture.
set(CMAKE_CROSSCOMPILING_EMULATOR
    "${CMAKE_CURRENT_LIST_DIR}/kxvds-wine.sh;${KXVDS_WINE_ARCH};${CMAKE_BINARY_DIR}/wineprefix")
