# cmake -DBUILD=dir -DPREFIX=dir -DEXPECTED=a|b|... -P InstallTree.cmake
# Installs the build tree BUILD into a fresh PREFIX and fails unless PREFIX
# then holds exactly the files EXPECTED.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/Listing.cmake)

file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX}
                OUTPUT_QUIET RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install ${BUILD} --prefix ${PREFIX} failed: ${rc}")
endif()
file(GLOB_RECURSE installed LIST_DIRECTORIES false RELATIVE ${PREFIX} ${PREFIX}/*)
string(REPLACE "|" ";" expected "${EXPECTED}")
kxvds_check_listing("${PREFIX} does not hold what the install should lay out" "${installed}" "${expected}")
message(STATUS "installed into ${PREFIX}:\n  ${installed}")
