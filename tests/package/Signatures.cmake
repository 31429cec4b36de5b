# kxvds_signature_problems(out OBJDUMP tool [CAFILE file] BINARIES files...)
# With CAFILE: sets `out` to what is wrong unless each binary carries an
# Authenticode signature with a SHA-256 digest that `osslsigncode verify`
# accepts, chaining to a certificate in CAFILE. Without: unless no binary
# carries a signature. Empty when all is well.
function(kxvds_signature_problems out)
  cmake_parse_arguments(S "" "OBJDUMP;CAFILE" "BINARIES" ${ARGN})
  if(S_CAFILE)
    find_program(KXVDS_OSSLSIGNCODE NAMES osslsigncode REQUIRED)
  endif()
  set(problems "")
  foreach(binary IN LISTS S_BINARIES)
    if(S_CAFILE)
      execute_process(COMMAND ${KXVDS_OSSLSIGNCODE} verify -CAfile ${S_CAFILE} -in ${binary}
                      OUTPUT_VARIABLE report ERROR_VARIABLE report RESULT_VARIABLE rc)
      if(NOT rc EQUAL 0 OR NOT report MATCHES "Message digest algorithm *: *SHA256\n")
        string(APPEND problems "\n${binary}: osslsigncode verify does not accept its signature:\n${report}")
      endif()
    else()
      # The certificate table is the PE's data directory entry 4.
      execute_process(COMMAND ${S_OBJDUMP} -p ${binary} OUTPUT_VARIABLE headers ERROR_VARIABLE headers
                      RESULT_VARIABLE rc)
      if(NOT rc EQUAL 0)
        string(APPEND problems "\n${binary}: ${S_OBJDUMP} -p fails:\n${headers}")
      elseif(NOT headers MATCHES "Entry 4 0+ 0+ Security Directory")
        string(APPEND problems "\n${binary} carries a signature, and no certificate was given")
      endif()
    endif()
  endforeach()
  set(${out} "${problems}" PARENT_SCOPE)
endfunction()
