# Tests of the Windows build run under Wine. Making a Wine prefix and starting
# its services take long, so that is a test of its own that every Wine test
# requires, and another one ends Wine's processes after them.
add_test(NAME wine_prefix COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} --init)
add_test(NAME wine_shutdown COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} --shutdown)
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine_prefix TIMEOUT 600 LABELS wine)
set_tests_properties(wine_shutdown PROPERTIES FIXTURES_CLEANUP wine_prefix TIMEOUT 60 LABELS wine)

# kxvds_wine_test(test): marks a test as one that runs under Wine (label "wine").
# One at a time: a class registered for local activation is seen by every
# program of the prefix, as on Windows, so a test program's emulated disk
# service would answer another program's activation.
function(kxvds_wine_test test)
  set_tests_properties(${test} PROPERTIES FIXTURES_REQUIRED wine_prefix TIMEOUT 600 LABELS wine RUN_SERIAL TRUE)
endfunction()

# kxvds_wine_command(out program): the command line that runs a Windows
# program that is not a CMake target (targets get the emulator by themselves).
function(kxvds_wine_command out program)
  set(${out} ${CMAKE_CROSSCOMPILING_EMULATOR} ${program} PARENT_SCOPE)
endfunction()
