# cmake -DREADOBJ=llvm-readobj -DPDBUTIL=llvm-pdbutil -DBINARY=file.dll
#       -DFUNCTIONS=name|Class::member -P CheckPdb.cmake
# Fails unless BINARY's debug directory holds one CodeView record naming a
# PDB without a folder, that PDB lies beside BINARY, its GUID and age are the
# record's (so a debugger takes it for this build), and it describes each of
# FUNCTIONS, if given (procedure records, where a debugger looks names up).
cmake_minimum_required(VERSION 3.25)

execute_process(COMMAND ${READOBJ} --coff-debug-directory ${BINARY}
                OUTPUT_VARIABLE directory ERROR_VARIABLE directory RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${READOBJ} --coff-debug-directory ${BINARY} failed (${rc}):\n${directory}")
endif()
string(REGEX MATCHALL "PDBInfo {[^}]*}" records "${directory}")
list(LENGTH records count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "${BINARY}: expected one CodeView record, found ${count}:\n${directory}")
endif()
if(NOT records MATCHES "PDBGUID: \\(([0-9A-F ]+)\\)\n *PDBAge: ([0-9]+)\n *PDBFileName: ([^\n]*)\n")
  message(FATAL_ERROR "${BINARY}: cannot read its CodeView record:\n${records}")
endif()
set(bytes ${CMAKE_MATCH_1})
set(age ${CMAKE_MATCH_2})
set(name ${CMAKE_MATCH_3})
if(name MATCHES "[/\\\\]")
  message(FATAL_ERROR "${BINARY} names its PDB with a folder: ${name}")
endif()
get_filename_component(folder ${BINARY} DIRECTORY)
set(pdb ${folder}/${name})
if(NOT EXISTS ${pdb})
  message(FATAL_ERROR "${BINARY} names ${name}, which is not beside it")
endif()

# The record holds the GUID's bytes; the PDB shows the GUID as text, whose
# first three fields are those bytes in little-endian order.
string(REPLACE " " ";" bytes "${bytes}")
list(LENGTH bytes count)
if(NOT count EQUAL 16)
  message(FATAL_ERROR "${BINARY}: its record's GUID has ${count} bytes")
endif()
set(guid "")
foreach(at 3 2 1 0 - 5 4 - 7 6 - 8 9 - 10 11 12 13 14 15)
  if(at STREQUAL "-")
    string(APPEND guid "-")
  else()
    list(GET bytes ${at} byte)
    string(APPEND guid "${byte}")
  endif()
endforeach()

execute_process(COMMAND ${PDBUTIL} dump --summary ${pdb} OUTPUT_VARIABLE summary ERROR_VARIABLE summary
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT summary MATCHES "\n *Age: ([0-9]+)\n *GUID: {([0-9A-Fa-f-]+)}\n")
  message(FATAL_ERROR "${PDBUTIL} dump --summary ${pdb} failed (${rc}):\n${summary}")
endif()
string(TOUPPER "${CMAKE_MATCH_2}" pdb_guid)
if(NOT pdb_guid STREQUAL guid OR NOT CMAKE_MATCH_1 STREQUAL age)
  message(FATAL_ERROR "${pdb} is not the PDB of ${BINARY}: the binary names GUID ${guid} age ${age}, "
                      "the PDB is GUID ${pdb_guid} age ${CMAKE_MATCH_1}")
endif()

execute_process(COMMAND ${PDBUTIL} dump --globals ${pdb} OUTPUT_VARIABLE globals ERROR_VARIABLE globals
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${PDBUTIL} dump --globals ${pdb} failed (${rc}):\n${globals}")
endif()
string(REPLACE "|" ";" FUNCTIONS "${FUNCTIONS}")
foreach(function IN LISTS FUNCTIONS)
  string(REGEX REPLACE "([][+.*()^$?|\\])" "\\\\\\1" pattern "${function}")
  string(REGEX MATCH "S_L?PROCREF \\[size = [0-9]+\\] `${pattern}`\n" found "${globals}")
  if(NOT found)
    message(FATAL_ERROR "${pdb} holds no procedure ${function}")
  endif()
endforeach()
set(described "")
if(FUNCTIONS)
  list(JOIN FUNCTIONS ", " described)
  set(described "; it describes ${described}")
endif()
message(STATUS "${BINARY}: ${name} beside it, GUID {${guid}} age ${age} as the binary names"
               "${described}")
