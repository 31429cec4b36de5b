# cmake -DWINDRES=windres -DMODULE=file.dll -DVERSION=x.y.z -P CheckVersionResource.cmake
# Fails unless the VERSIONINFO of MODULE gives VERSION, as numbers and as text.
cmake_minimum_required(VERSION 3.25)

execute_process(COMMAND ${WINDRES} -i ${MODULE} -O rc OUTPUT_VARIABLE rc RESULT_VARIABLE code)
if(NOT code EQUAL 0)
  message(FATAL_ERROR "${WINDRES} -i ${MODULE} failed: ${code}")
endif()
string(REPLACE "." ", *" numbers "${VERSION}")
string(REPLACE "." "\\." text "${VERSION}")
foreach(line "FILEVERSION +${numbers}, *0\n" "PRODUCTVERSION +${numbers}, *0\n"
             "\"FileVersion\", \"${text}\\.0\"" "\"ProductVersion\", \"${text}\\.0\"")
  if(NOT rc MATCHES "${line}")
    message(FATAL_ERROR "${MODULE}: its version resource does not match [${line}]:\n${rc}")
  endif()
endforeach()
message(STATUS "${MODULE}: version ${VERSION}")
