# Lists the test functions of one QtTest program (its -functions output) and writes
# a CTest file that declares one test per function, "PROGRAM.function", so that each
# can be chosen with ctest -R. Run after the program is built:
# cmake -D PROGRAM=... -D NAME=... -D OUTPUT=... -D TIMEOUT=... -P DiscoverQtTests.cmake
set(ENV{QT_QPA_PLATFORM} offscreen)
execute_process(COMMAND "${PROGRAM}" -functions
                OUTPUT_VARIABLE listing RESULT_VARIABLE status TIMEOUT 60)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${NAME}: -functions failed (${status})")
endif()
string(REGEX MATCHALL "[A-Za-z_][A-Za-z0-9_]*\\(\\)" functions "${listing}")
set(script "")
foreach(call IN LISTS functions)
    string(REPLACE "()" "" function "${call}")
    string(APPEND script
        "add_test([=[${NAME}.${function}]=] [=[${PROGRAM}]=] [=[${function}]=])\n"
        "set_tests_properties([=[${NAME}.${function}]=] PROPERTIES "
        "ENVIRONMENT QT_QPA_PLATFORM=offscreen TIMEOUT ${TIMEOUT} LABELS screen)\n")
endforeach()
file(WRITE "${OUTPUT}" "${script}")
