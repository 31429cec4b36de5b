# cmake [-DARCHIVE=KXVdsDisks-<version>-windows.zip] [-DCAFILE=certificates.pem]
#       -P tests/package/CheckSdkArchive.cmake
# (without ARCHIVE: the one archive in build/sdk, where scripts/package-sdk.sh
# packs it). Fails unless the archive holds exactly the SDK's files under one
# folder named after it, and each architecture's DLL exports the one right
# name, imports only system DLLs and carries the archive's version, each
# binary's PDB beside it is the one it names, each import library is made
# for its architecture, and the binaries are signed
# (their signatures verified against CAFILE) when CAFILE is given, unsigned
# when not.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/Listing.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/Signatures.cmake)

if(NOT ARCHIVE)
  file(GLOB ARCHIVE ${CMAKE_CURRENT_LIST_DIR}/../../build/sdk/KXVdsDisks-*-windows.zip)
  list(LENGTH ARCHIVE count)
  if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one archive in build/sdk (scripts/package-sdk.sh packs it), found ${count}")
  endif()
endif()
get_filename_component(ARCHIVE ${ARCHIVE} ABSOLUTE)
get_filename_component(name ${ARCHIVE} NAME)
if(NOT name MATCHES "^(KXVdsDisks-([0-9]+\\.[0-9]+\\.[0-9]+)-windows)\\.zip$")
  message(FATAL_ERROR "${name} is not named KXVdsDisks-<x.y.z>-windows.zip")
endif()
set(top ${CMAKE_MATCH_1})
set(version ${CMAKE_MATCH_2})

execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${ARCHIVE} OUTPUT_VARIABLE listing RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cannot list ${ARCHIVE}: ${rc}")
endif()
string(REGEX MATCHALL "[^\n]*[^/\n](\n|$)" files "${listing}")  # folders end in "/"
list(TRANSFORM files STRIP)
set(expected include/KXVdsDisks.h LICENSE README.md docs/reference.md)
foreach(file main.cpp RecoveryPartition.cpp RecoveryPartition.h ResultText.cpp ResultText.h)
  list(APPEND expected examples/recovery-partition/${file})
endforeach()
foreach(arch x86 x64)
  list(APPEND expected bin/${arch}/KXVdsDisks.dll bin/${arch}/kxvds.exe
                       bin/${arch}/KXVdsDisks.pdb bin/${arch}/kxvds.pdb
                       lib/${arch}/KXVdsDisks.lib lib/${arch}/libKXVdsDisks.dll.a)
endforeach()
list(TRANSFORM expected PREPEND ${top}/)
kxvds_check_listing("${name} does not hold the SDK's files" "${files}" "${expected}")
list(SORT files)
list(JOIN files "\n  " shown)
message(STATUS "${name}:\n  ${shown}")

set(contents ${ARCHIVE}.contents)
file(REMOVE_RECURSE ${contents})
file(MAKE_DIRECTORY ${contents})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${ARCHIVE} WORKING_DIRECTORY ${contents} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cannot unpack ${ARCHIVE}: ${rc}")
endif()
set(triple_x86 i686-w64-mingw32)
set(triple_x64 x86_64-w64-mingw32)
set(export_x86 "?GetVdsDiskInterface@@YAPAVIKXVdsDisk@@XZ")
set(export_x64 "?GetVdsDiskInterface@@YAPEAVIKXVdsDisk@@XZ")
set(format_x86 "pei?-i386")
set(format_x64 "pei?-x86-64")
find_program(readobj NAMES llvm-readobj llvm-readobj-14 REQUIRED)
find_program(pdbutil NAMES llvm-pdbutil llvm-pdbutil-14 REQUIRED)
foreach(arch x86 x64)
  find_program(objdump_${arch} NAMES ${triple_${arch}}-objdump REQUIRED)
  find_program(windres_${arch} NAMES ${triple_${arch}}-windres REQUIRED)
  set(module ${contents}/${top}/bin/${arch}/KXVdsDisks.dll)
  # A client links the import library of its own architecture.
  foreach(library KXVdsDisks.lib libKXVdsDisks.dll.a)
    set(path ${contents}/${top}/lib/${arch}/${library})
    execute_process(COMMAND ${objdump_${arch}} -f ${path} OUTPUT_VARIABLE dump ERROR_VARIABLE dump RESULT_VARIABLE rc)
    string(REGEX MATCHALL "file format [^ \n]+" formats "${dump}")
    if(NOT rc EQUAL 0 OR NOT formats)
      message(FATAL_ERROR "${objdump_${arch}} cannot read lib/${arch}/${library} as ${arch} objects:\n${dump}")
    endif()
    foreach(format IN LISTS formats)
      if(NOT format MATCHES "^file format ${format_${arch}}$")
        message(FATAL_ERROR "lib/${arch}/${library} holds an object of ${format}, not of ${arch}")
      endif()
    endforeach()
  endforeach()
  execute_process(
    COMMAND ${CMAKE_COMMAND} -DWINDOWS=ON -DTOOL=${objdump_${arch}} -DMODULE=${module}
            -DEXPECTED=${export_${arch}} -P ${CMAKE_CURRENT_LIST_DIR}/../exports/CheckModuleSymbols.cmake
    COMMAND_ERROR_IS_FATAL ANY)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -DWINDRES=${windres_${arch}} -DMODULE=${module} -DVERSION=${version}
            -P ${CMAKE_CURRENT_LIST_DIR}/CheckVersionResource.cmake
    COMMAND_ERROR_IS_FATAL ANY)
  # Stripped and maybe signed, each binary still names the PDB beside it.
  foreach(binary ${module} ${contents}/${top}/bin/${arch}/kxvds.exe)
    execute_process(
      COMMAND ${CMAKE_COMMAND} -DREADOBJ=${readobj} -DPDBUTIL=${pdbutil} -DBINARY=${binary}
              -P ${CMAKE_CURRENT_LIST_DIR}/../exports/CheckPdb.cmake
      COMMAND_ERROR_IS_FATAL ANY)
  endforeach()
  kxvds_signature_problems(problems OBJDUMP ${objdump_${arch}} CAFILE ${CAFILE}
                           BINARIES ${module} ${contents}/${top}/bin/${arch}/kxvds.exe)
  if(problems)
    message(FATAL_ERROR "${name}:${problems}")
  endif()
endforeach()
file(REMOVE_RECURSE ${contents})
if(CAFILE)
  set(signatures "is signed, each signature verified")
else()
  set(signatures "is unsigned")
endif()
message(STATUS "${name}: each module exports the one right name, imports system DLLs only and carries "
               "${version}; each binary ${signatures} and matches its PDB")
