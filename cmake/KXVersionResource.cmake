# The project's one version, from project(... VERSION), as the Windows version
# resources and the programs read it: KXVdsVersion.h (preprocessor lines only,
# so that resource scripts include it too) through the target kxvds_version.
set(KXVDS_VERSION_DIR ${PROJECT_BINARY_DIR}/version)
file(CONFIGURE OUTPUT ${KXVDS_VERSION_DIR}/KXVdsVersion.h @ONLY CONTENT [[
/* Made by CMake from project(KXVdsDisks VERSION ...); do not edit. */
#ifndef KXVDSVERSION_H
#define KXVDSVERSION_H
#define KXVDS_VERSION_MAJOR @PROJECT_VERSION_MAJOR@
#define KXVDS_VERSION_MINOR @PROJECT_VERSION_MINOR@
#define KXVDS_VERSION_PATCH @PROJECT_VERSION_PATCH@
#define KXVDS_VERSION_STRING "@PROJECT_VERSION@"
/* The four-part form of a VERSIONINFO string value. */
#define KXVDS_FILE_VERSION_STRING "@PROJECT_VERSION@.0"
#endif
]])
if(NOT TARGET kxvds_version)
  add_library(kxvds_version INTERFACE)
  target_include_directories(kxvds_version INTERFACE ${KXVDS_VERSION_DIR})
endif()

# kxvds_use_version(target): the target's sources, its resource scripts too,
# read KXVdsVersion.h. windres leaves no list of the headers it read, so the
# scripts are told to follow the header.
function(kxvds_use_version target)
  target_link_libraries(${target} PRIVATE kxvds_version)
  get_target_property(scripts ${target} SOURCES)
  list(FILTER scripts INCLUDE REGEX "\\.rc$")
  if(scripts)
    set_source_files_properties(${scripts} TARGET_DIRECTORY ${target}
      PROPERTIES OBJECT_DEPENDS ${KXVDS_VERSION_DIR}/KXVdsVersion.h)
  endif()
endfunction()

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
  kxvds_use_version(${target})
endfunction()
