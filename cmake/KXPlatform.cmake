# What "the platform" is for this build: the Windows system DLLs, or our
# portable Win32 subset (libkxwin32) elsewhere.
if(WIN32)
  set(KXVDS_WINDOWS ON)
  # The loader looks for KXVdsDisks.dll beside the program first: programs
  # and the module share one folder, so tests run against the shipped DLL.
  set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)
  # Debug information as Microsoft's debuggers read it; lld makes each
  # binary's PDB of it (cmake/KXMingwToolchain.cmake).
  add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:-gcodeview>)
else()
  set(KXVDS_WINDOWS OFF)
endif()
