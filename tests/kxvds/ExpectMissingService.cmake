# Runs kxvds with ARGS (COMMAND: the Wine command line of kxvds.exe, its parts
# joined by "|"; ARGS likewise) where no disk service is registered: it must
# fail, say what it could not do (ACTION) and name the code and its meaning.
string(REPLACE "|" ";" command "${COMMAND}")
string(REPLACE "|" ";" args "${ARGS}")
execute_process(COMMAND ${command} ${args}
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
message(STATUS "exit status: ${status}\nstdout: ${out}\nstderr: ${err}")
if(status EQUAL 0)
  message(FATAL_ERROR "kxvds ${args} succeeded without a disk service")
endif()
if(NOT out STREQUAL "")
  message(FATAL_ERROR "kxvds ${args} printed on stdout without a disk service")
endif()
foreach(expected "${ACTION}" "0x80040154" "REGDB_E_CLASSNOTREG" "Virtual Disk Service is not available")
  string(FIND "${err}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "stderr lacks \"${expected}\"")
  endif()
endforeach()
