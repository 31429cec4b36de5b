# cmake -DOBJDUMP=objdump -DPDBUTIL=llvm-pdbutil -DX64=ON|OFF -DBINARIES="a.dll;b.exe" -P ...
# Fails unless each PE file may be loaded anywhere (DYNAMIC_BASE), keeps data
# from running (NX_COMPAT), on x64 uses the whole address space
# (HIGH_ENTROPY_VA), and carries the stack-protector runtime, which its PDB
# (beside it, named after it) lists: lld writes no symbol table into an image
# that has a PDB.
cmake_minimum_required(VERSION 3.25)

set(flags DYNAMIC_BASE NX_COMPAT)
if(X64)
  list(APPEND flags HIGH_ENTROPY_VA)
endif()
foreach(binary IN LISTS BINARIES)
  execute_process(COMMAND ${OBJDUMP} -p ${binary} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} -p ${binary} failed: ${rc}")
  endif()
  # The flags are listed by name, one a line, under the DllCharacteristics value.
  string(REGEX MATCH "DllCharacteristics[^\n]*\n(\t+[A-Z_]+\n)*" characteristics "${dump}")
  foreach(flag IN LISTS flags)
    if(NOT characteristics MATCHES "\t${flag}\n")
      message(FATAL_ERROR "${binary} lacks ${flag}: ${characteristics}")
    endif()
  endforeach()
  get_filename_component(folder ${binary} DIRECTORY)
  get_filename_component(stem ${binary} NAME_WE)
  execute_process(COMMAND ${PDBUTIL} dump --publics ${folder}/${stem}.pdb OUTPUT_VARIABLE symbols
                  RESULT_VARIABLE rc)
  # i686 names carry one more leading underscore.
  if(NOT rc EQUAL 0 OR NOT symbols MATCHES "S_PUB32 \\[size = [0-9]+\\] `_?__stack_chk_guard`\n")
    message(FATAL_ERROR "${binary} carries no stack-protector guard")
  endif()
  message(STATUS "${binary}: ${flags}, stack protector")
endforeach()
