# Runs tst_testmain (PROGRAM) and fails unless every escaped exception failed its own test
# function or row, the functions after them ran, the exit status counts the failures, and
# the command line still selects functions.

function(run_program)
    execute_process(COMMAND "${PROGRAM}" ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out
                    ERROR_VARIABLE out)
    set(status "${status}" PARENT_SCOPE)
    set(out "${out}" PARENT_SCOPE)
endfunction()

function(expect text)
    string(FIND "${out}" "${text}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "Missing from the output: ${text}\n--- output ---\n${out}")
    endif()
endfunction()

run_program()
if(NOT status STREQUAL "3")
    message(FATAL_ERROR "Exit status ${status}, expected 3 (one per failure)\n${out}")
endif()
expect("FAIL!  : TestTestMain::aProgramExitFailsItsFunction() ProgramExit escaped the test: the program would have ended here with exit status 3")
expect("FAIL!  : TestTestMain::otherExceptionsFailTheirRow(DbError) DbError escaped the test: -193 Primary key not unique (SQLSTATE 23000)")
expect("FAIL!  : TestTestMain::otherExceptionsFailTheirRow(runtime_error) std::runtime_error escaped the test: disk full")
expect("PASS   : TestTestMain::otherExceptionsFailTheirRow(passes)")
expect("PASS   : TestTestMain::laterFunctionsStillRun()")
expect("PASS   : TestTestMain::cleanupTestCase()")

# A function named on the command line runs alone; options pass through to Qt Test.
run_program(-v2 laterFunctionsStillRun)
if(NOT status STREQUAL "0")
    message(FATAL_ERROR "Exit status ${status} for one passing function\n${out}")
endif()
expect("INFO   : TestTestMain::laterFunctionsStillRun() entering")
string(FIND "${out}" "aProgramExitFailsItsFunction" at)
if(NOT at EQUAL -1)
    message(FATAL_ERROR "A function not named on the command line ran\n${out}")
endif()
