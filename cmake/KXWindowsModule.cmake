# The shipped Windows module: KXVdsDisks.dll with its one decorated export,
# its version resource and the import libraries for both kinds of client.
find_program(KXVDS_LLVM_DLLTOOL NAMES llvm-dlltool llvm-dlltool-14 REQUIRED)

# The module's .def has one line "DecoratedName = GccName"; the two import
# libraries are made from the same pair.
function(kxvds_read_export def_file out_decorated out_gcc)
  file(STRINGS ${def_file} lines REGEX "^[ \t]*[?][^ \t]*[ \t]*=[ \t]*[^ \t]+")
  list(LENGTH lines count)
  if(NOT count EQUAL 1)
    message(FATAL_ERROR "${def_file}: expected exactly one 'Decorated = GccName' export")
  endif()
  string(REGEX MATCH "([?][^ \t]*)[ \t]*=[ \t]*([^ \t]+)" _ "${lines}")
  set(${out_decorated} "${CMAKE_MATCH_1}" PARENT_SCOPE)
  set(${out_gcc} "${CMAKE_MATCH_2}" PARENT_SCOPE)
endfunction()

# The decorated name differs by architecture (a 64-bit pointer is "PEAV"),
# and so does the machine the import libraries are made for.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(KXVDS_MODULE_DEF KXVdsDisks-x64.def)
  set(KXVDS_DLLTOOL_MACHINE i386:x86-64)
else()
  set(KXVDS_MODULE_DEF KXVdsDisks.def)
  set(KXVDS_DLLTOOL_MACHINE i386)
endif()

function(kxvds_windows_module target)
  set(core ${PROJECT_SOURCE_DIR}/src/core)
  set(def ${core}/${KXVDS_MODULE_DEF})
  kxvds_read_export(${def} decorated gcc_name)

  target_sources(${target} PRIVATE ${core}/DllMain.cpp ${core}/KXExceptionPool.cpp ${core}/KXVdsDisks.rc ${def})
  # KXExceptionPool.cpp sees every malloc of the module first.
  target_link_options(${target} PRIVATE -Wl,--wrap=malloc)
  # lld also sends every reference to __imp_malloc to the wrapper, the one
  # inside the thunk of MinGW's msvcrt import library (an ordinary object)
  # too, so __real_malloc would come back to the wrapper for ever. Ahead of
  # that library, a short import library of our own gives malloc a thunk
  # that lld makes itself and leaves alone; it still calls through the
  # import address table, where the tests detour the module's malloc.
  set(crt_def ${CMAKE_CURRENT_BINARY_DIR}/KXVdsDisks.msvcrt-malloc.def)
  file(WRITE ${crt_def} "LIBRARY \"msvcrt.dll\"\nEXPORTS\n    malloc\n")
  set(crt_lib ${CMAKE_CURRENT_BINARY_DIR}/libkxvds_msvcrt_malloc.a)
  add_custom_command(OUTPUT ${crt_lib}
    COMMAND ${KXVDS_LLVM_DLLTOOL} -m ${KXVDS_DLLTOOL_MACHINE} -d ${crt_def} -l ${crt_lib}
    DEPENDS ${crt_def}
    COMMENT "Import library for msvcrt.dll's malloc"
    VERBATIM)
  add_custom_target(${target}_msvcrt_malloc DEPENDS ${crt_lib})
  add_dependencies(${target} ${target}_msvcrt_malloc)
  target_link_libraries(${target} PRIVATE ${crt_lib})
  set_target_properties(${target} PROPERTIES
    PREFIX ""
    OUTPUT_NAME KXVdsDisks
    IMPORT_PREFIX "lib"
    IMPORT_SUFFIX ".dll.a"
    LINK_DEPENDS ${def})

  # MinGW clients reference the GCC name; dlltool's "==" makes the import
  # library bind it to the decorated name the module really exports. This
  # replaces the linker's own import library, which knows only that name.
  set(gnu_def ${CMAKE_CURRENT_BINARY_DIR}/KXVdsDisks.mingw-import.def)
  file(WRITE ${gnu_def}
    "LIBRARY \"KXVdsDisks.dll\"\nEXPORTS\n    ${gcc_name} == ${decorated}\n")
  # Microsoft's linker looks the decorated name up as it is.
  set(msvc_def ${CMAKE_CURRENT_BINARY_DIR}/KXVdsDisks.msvc-import.def)
  file(WRITE ${msvc_def} "LIBRARY \"KXVdsDisks.dll\"\nEXPORTS\n    ${decorated}\n")

  set(msvc_lib ${CMAKE_CURRENT_BINARY_DIR}/KXVdsDisks.lib)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_DLLTOOL} -m ${KXVDS_DLLTOOL_MACHINE} -d ${gnu_def} -l $<TARGET_LINKER_FILE_NAME:${target}>
    COMMAND ${KXVDS_LLVM_DLLTOOL} -m ${KXVDS_DLLTOOL_MACHINE} -d ${msvc_def} -l ${msvc_lib}
    BYPRODUCTS ${msvc_lib}
    # dlltool names the archive's members after the path it is given.
    WORKING_DIRECTORY $<TARGET_LINKER_FILE_DIR:${target}>
    COMMENT "Import libraries for MinGW and Microsoft clients of ${target}"
    VERBATIM)
  set_property(TARGET ${target} PROPERTY KXVDS_MSVC_IMPORT_LIBRARY ${msvc_lib})
  set_property(TARGET ${target} PROPERTY KXVDS_EXPORTED_NAME ${decorated})
endfunction()
