# What `cmake --install` lays out: the public header, the module (with its
# import libraries on Windows), kxvds (on Windows each binary with its PDB),
# the licence, the README's section for users of the library, the reference,
# and the CMake package that find_package reads.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(KXVDS_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/${PROJECT_NAME})
if(KXVDS_WINDOWS)
  # The SDK archive keeps each architecture's binaries apart.
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(KXVDS_ARCH x64)
  else()
    set(KXVDS_ARCH x86)
  endif()
  set(KXVDS_DOCDIR .)
else()
  set(KXVDS_DOCDIR ${CMAKE_INSTALL_DOCDIR})
  # The native library runs over libkxwin32, which is no API of ours: it goes
  # into a folder of its own with no header and no CMake target, so nothing
  # links it by accident, and only the RUNPATHs below find it.
  set(KXVDS_PRIVATE_LIBDIR ${CMAKE_INSTALL_LIBDIR}/${PROJECT_NAME})
endif()

# kxvds_install_pdb(target destination [component args...]): the PDB that lld
# wrote beside a Windows binary, named after it, installed beside it.
function(kxvds_install_pdb target destination)
  install(FILES $<TARGET_FILE_DIR:${target}>/$<TARGET_FILE_BASE_NAME:${target}>.pdb
          DESTINATION ${destination} ${ARGN})
endfunction()

# kxvds_install_module(target): the shipped module and its header.
function(kxvds_install_module target)
  set(header ${PROJECT_SOURCE_DIR}/include/KXVdsDisks.h)
  install(FILES ${header} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
  if(KXVDS_WINDOWS)
    get_target_property(msvc_import_library ${target} KXVDS_MSVC_IMPORT_LIBRARY)
    install(TARGETS ${target}
      RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
      ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
    install(FILES ${msvc_import_library} DESTINATION ${CMAKE_INSTALL_LIBDIR})
    kxvds_install_pdb(${target} ${CMAKE_INSTALL_BINDIR})
    # The same files as the SDK archive places them; only cpack asks for them.
    install(TARGETS ${target}
      RUNTIME DESTINATION bin/${KXVDS_ARCH} COMPONENT sdk EXCLUDE_FROM_ALL
      ARCHIVE DESTINATION lib/${KXVDS_ARCH} COMPONENT sdk EXCLUDE_FROM_ALL)
    kxvds_install_pdb(${target} bin/${KXVDS_ARCH} COMPONENT sdk EXCLUDE_FROM_ALL)
    install(FILES ${msvc_import_library} DESTINATION lib/${KXVDS_ARCH} COMPONENT sdk EXCLUDE_FROM_ALL)
    install(FILES ${header} DESTINATION include COMPONENT sdk EXCLUDE_FROM_ALL)
  else()
    file(RELATIVE_PATH to_private ${CMAKE_INSTALL_FULL_LIBDIR} ${CMAKE_INSTALL_PREFIX}/${KXVDS_PRIVATE_LIBDIR})
    set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN/${to_private}")
    install(TARGETS ${target} LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
    install(TARGETS kxwin32 LIBRARY DESTINATION ${KXVDS_PRIVATE_LIBDIR})
  endif()
endfunction()

# kxvds_install_program(target): a program of the package, under bin/.
function(kxvds_install_program target)
  install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  if(KXVDS_WINDOWS)
    kxvds_install_pdb(${target} ${CMAKE_INSTALL_BINDIR})
    install(TARGETS ${target} RUNTIME DESTINATION bin/${KXVDS_ARCH} COMPONENT sdk EXCLUDE_FROM_ALL)
    kxvds_install_pdb(${target} bin/${KXVDS_ARCH} COMPONENT sdk EXCLUDE_FROM_ALL)
  else()
    file(RELATIVE_PATH to_lib ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
    file(RELATIVE_PATH to_private ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_PREFIX}/${KXVDS_PRIVATE_LIBDIR})
    set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN/${to_lib};$ORIGIN/${to_private}")
  endif()
endfunction()

# kxvds_install_package(): the licence, the usage note, the reference and the
# CMake package.
function(kxvds_install_package)
  # The usage note is the README's section for users of the library, so the
  # two never disagree.
  set(readme ${PROJECT_SOURCE_DIR}/README.md)
  set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${readme})
  file(READ ${readme} text)
  string(FIND "${text}" "\n## Using the library\n" start)
  if(start EQUAL -1)
    message(FATAL_ERROR "${readme} has no \"## Using the library\" section for the usage note")
  endif()
  math(EXPR start "${start} + 1")
  string(SUBSTRING "${text}" ${start} -1 section)
  string(FIND "${section}" "\n## " end)
  if(NOT end EQUAL -1)
    math(EXPR end "${end} + 1")
    string(SUBSTRING "${section}" 0 ${end} section)
  endif()
  set(staged ${PROJECT_BINARY_DIR}/package)
  file(WRITE ${staged}/README.md "# ${PROJECT_NAME} ${PROJECT_VERSION}\n\n${section}")
  set(notes ${PROJECT_SOURCE_DIR}/LICENSE ${staged}/README.md)
  # The usage note links the reference where it lies in the source tree.
  set(reference ${PROJECT_SOURCE_DIR}/docs/reference.md)
  install(FILES ${notes} DESTINATION ${KXVDS_DOCDIR})
  install(FILES ${reference} DESTINATION ${KXVDS_DOCDIR}/docs)
  if(KXVDS_WINDOWS)
    install(FILES ${notes} DESTINATION . COMPONENT sdk EXCLUDE_FROM_ALL)
    install(FILES ${reference} DESTINATION docs COMPONENT sdk EXCLUDE_FROM_ALL)
  endif()

  configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/KXVdsDisksConfig.cmake.in
    ${staged}/${PROJECT_NAME}Config.cmake
    INSTALL_DESTINATION ${KXVDS_PACKAGE_DIR}
    PATH_VARS CMAKE_INSTALL_INCLUDEDIR CMAKE_INSTALL_LIBDIR CMAKE_INSTALL_BINDIR)
  # Also refuses a tree built for the other pointer size (x86 against x64).
  write_basic_package_version_file(${staged}/${PROJECT_NAME}ConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
  install(FILES ${staged}/${PROJECT_NAME}Config.cmake ${staged}/${PROJECT_NAME}ConfigVersion.cmake
    DESTINATION ${KXVDS_PACKAGE_DIR})
endfunction()
