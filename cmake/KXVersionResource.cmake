# kxvds_add_version_resource(target originalFilename): gives a Windows program
# a VERSIONINFO resource (block 040904B0) whose OriginalFilename is the given
# name, as a real client carries. Elsewhere there is no version resource to
# read, and this does nothing.
function(kxvds_add_version_resource target original_filename)
  if(NOT WIN32)
    return()
  endif()
  set(KXVDS_ORIGINAL_FILENAME ${original_filename})
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/KXVersionResource.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
