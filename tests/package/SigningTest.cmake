# cmake -DOBJDUMP=tool -DSIGNER=scripts/sign-windows-binaries.sh -DWORK=dir
#       -DREADOBJ=llvm-readobj -DPDBUTIL=llvm-pdbutil -DBINARIES=a.dll|b.exe -P SigningTest.cmake
# Signs copies of BINARIES as the SDK archive's are signed, with a certificate
# made here and thrown away, and checks them as the archive check does: the
# copies verify and no longer count as unsigned, each still matches its PDB
# (copied beside it), a copy changed after signing fails, and the password
# shows nowhere in what the signer prints.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/Signatures.cmake)

find_program(OSSLSIGNCODE NAMES osslsigncode)
if(NOT OSSLSIGNCODE)
  message(STATUS "skipped: osslsigncode is not installed")
  return()
endif()
find_program(OPENSSL NAMES openssl REQUIRED)

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/binaries)
string(REPLACE "|" ";" BINARIES "${BINARIES}")
foreach(binary IN LISTS BINARIES)
  get_filename_component(folder ${binary} DIRECTORY)
  get_filename_component(stem ${binary} NAME_WE)
  file(COPY ${binary} ${folder}/${stem}.pdb DESTINATION ${WORK}/binaries)
endforeach()
file(GLOB copies ${WORK}/binaries/*.dll ${WORK}/binaries/*.exe)

string(RANDOM LENGTH 12 first)
string(RANDOM LENGTH 12 second)
set(password "${first} ${second}")
set(ENV{KXVDS_SIGN_PASSWORD} "${password}")
set(ENV{KXVDS_SIGN_PKCS12} ${WORK}/signer.p12)
execute_process(
  COMMAND ${OPENSSL} req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=KXVdsDisks throwaway signer"
          -addext extendedKeyUsage=codeSigning -keyout ${WORK}/signer.key -out ${WORK}/signer.pem
  OUTPUT_QUIET ERROR_QUIET COMMAND_ERROR_IS_FATAL ANY)
execute_process(
  COMMAND ${OPENSSL} pkcs12 -export -inkey ${WORK}/signer.key -in ${WORK}/signer.pem -out ${WORK}/signer.p12
          -passout env:KXVDS_SIGN_PASSWORD
  COMMAND_ERROR_IS_FATAL ANY)

execute_process(COMMAND ${SIGNER} ${WORK}/binaries OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${SIGNER} failed (${rc}):\n${output}")
endif()
string(FIND "${output}" "${password}" at)
if(NOT at EQUAL -1)
  message(FATAL_ERROR "${SIGNER} prints the password:\n${output}")
endif()
message(STATUS "${output}")

kxvds_signature_problems(problems OBJDUMP ${OBJDUMP} CAFILE ${WORK}/signer.pem BINARIES ${copies})
if(problems)
  message(FATAL_ERROR "the signed copies do not verify:${problems}")
endif()
foreach(copy IN LISTS copies)
  kxvds_signature_problems(problems OBJDUMP ${OBJDUMP} BINARIES ${copy})
  if(NOT problems)
    message(FATAL_ERROR "${copy} is signed, yet the check finds it unsigned")
  endif()
  # Signing adds a certificate table but leaves the debug directory alone.
  execute_process(COMMAND ${CMAKE_COMMAND} -DREADOBJ=${READOBJ} -DPDBUTIL=${PDBUTIL} -DBINARY=${copy}
                          -P ${CMAKE_CURRENT_LIST_DIR}/../exports/CheckPdb.cmake
                  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
endforeach()

# One byte in the middle of the first copy, where its code or data lie, changed.
list(GET copies 0 changed)
file(SIZE ${changed} size)
math(EXPR middle "${size} / 2")
file(READ ${changed} byte OFFSET ${middle} LIMIT 1 HEX)
if(byte STREQUAL "58")
  set(replacement Y)
else()
  set(replacement X)
endif()
execute_process(
  COMMAND sh -c "printf ${replacement} | dd of=\"$0\" bs=1 seek=${middle} conv=notrunc status=none" ${changed}
  COMMAND_ERROR_IS_FATAL ANY)
kxvds_signature_problems(problems OBJDUMP ${OBJDUMP} CAFILE ${WORK}/signer.pem BINARIES ${changed})
if(NOT problems)
  message(FATAL_ERROR "${changed} was changed after signing, yet its signature verifies")
endif()
file(REMOVE_RECURSE ${WORK})
message(STATUS "signed copies verify, and a changed one does not")
