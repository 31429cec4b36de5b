# Run by cpack (CPACK_PRE_BUILD_SCRIPTS) once the SDK's files are staged and
# stripped, before they are packed: with a certificate named in the
# environment (see scripts/package-sdk.sh), every Windows binary there is
# signed, so the archive carries the signed files.
if(NOT "$ENV{KXVDS_SIGN_PKCS12}" STREQUAL "")
  execute_process(
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/../scripts/sign-windows-binaries.sh ${CPACK_TEMPORARY_DIRECTORY}
    COMMAND_ERROR_IS_FATAL ANY)
endif()
