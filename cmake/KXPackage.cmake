# What cpack packs. For Windows that is the SDK archive
# KXVdsDisks-<version>-windows.zip: the "sdk" install component of one build
# tree per architecture (KXVDS_SDK_BUILD_DIRS, by default the windows and
# windows-x64 presets' trees), each under bin/<arch> (each binary with its
# PDB beside it) and lib/<arch>, with the one header, the licence, the usage
# note, the reference and the example's source, its binaries signed when a
# certificate is given.
# scripts/package-sdk.sh builds both trees and packs it.
set(CPACK_PACKAGE_VENDOR "The KXVdsDisks developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "C++ interface to the disks and partitions of the Virtual Disk Service")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_GENERATOR TGZ)
if(KXVDS_WINDOWS)
  set(KXVDS_SDK_BUILD_DIRS "${PROJECT_SOURCE_DIR}/build/windows;${PROJECT_SOURCE_DIR}/build/windows-x64"
      CACHE STRING "Windows build trees, one per architecture, that the SDK archive gathers")
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME ${PROJECT_NAME}-${PROJECT_VERSION}-windows)
  # Our code's debug information is in the PDBs; the DWARF that the GCC-built
  # runtime brings into each image is of no use to a Microsoft debugger.
  # llvm-strip (the toolchain's CMAKE_STRIP) keeps the debug directory, so
  # each PDB still matches its binary.
  set(CPACK_STRIP_FILES ON)
  # Signing comes after stripping, which would break the signatures; neither
  # changes the debug directory's GUID and age.
  set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/KXSignSdk.cmake)
  set(CPACK_INSTALL_CMAKE_PROJECTS)
  foreach(tree IN LISTS KXVDS_SDK_BUILD_DIRS)
    list(APPEND CPACK_INSTALL_CMAKE_PROJECTS ${tree} ${PROJECT_NAME} sdk /)
  endforeach()
endif()
