# Runs "kxvds disk 0" (COMMAND: the Wine command line of kxvds.exe, its parts
# joined by "|") where no disk service is registered: it must fail and name
# the code and its meaning.
string(REPLACE "|" ";" command "${COMMAND}")
execute_process(COMMAND ${command} disk 0
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
message(STATUS "exit status: ${status}\nstdout: ${out}\nstderr: ${err}")
if(status EQUAL 0)
  message(FATAL_ERROR "kxvds disk 0 succeeded without a disk service")
endif()
foreach(expected "cannot select disk 0" "0x80040154" "REGDB_E_CLASSNOTREG" "Virtual Disk Service is not available")
  string(FIND "${err}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "stderr lacks \"${expected}\"")
  endif()
endforeach()
