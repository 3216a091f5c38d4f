# cmake -DROOT=... -DSOURCE_LIST=... -DWIDGET_HEADER_DIRS=... -DEXPECTED=<file>
#       -P ExpectLayeringResult.cmake
#
# Runs CheckLayering.cmake on a fixture tree and compares what it says with EXPECTED: the
# line "checked: <n>" gives the number of files it must report, every other line (blank
# lines and "#" comments aside) is one problem it must report, word for word. It must report
# no other problem, and it must fail exactly when there is a problem to report.
cmake_minimum_required(VERSION 3.25)

execute_process(
    COMMAND ${CMAKE_COMMAND} "-DROOT=${ROOT}" "-DSOURCE_LIST=${SOURCE_LIST}"
            "-DWIDGET_HEADER_DIRS=${WIDGET_HEADER_DIRS}" -P ${CMAKE_CURRENT_LIST_DIR}/CheckLayering.cmake
    RESULT_VARIABLE status
    OUTPUT_VARIABLE output
    ERROR_VARIABLE output)
message("${output}")

set(expected "")
set(expected_count "")
file(STRINGS "${EXPECTED}" lines)
foreach(line IN LISTS lines)
    if(line MATCHES "^checked: ([0-9]+)$")
        set(expected_count "${CMAKE_MATCH_1}")
    elseif(NOT line MATCHES "^(#|[ \t]*$)")
        list(APPEND expected "${line}")
    endif()
endforeach()
if(expected_count STREQUAL "")
    message(FATAL_ERROR "${EXPECTED} has no \"checked: <n>\" line")
endif()

set(reported "")
string(REPLACE ";" "," output_lines "${output}")
string(REPLACE "\n" ";" output_lines "${output_lines}")
foreach(line IN LISTS output_lines)
    if(line MATCHES "^[^ ].*: (unreadable|relative|unplaced|layering|widgets): ")
        list(APPEND reported "${line}")
    endif()
endforeach()

set(faults "")
foreach(line IN LISTS expected)
    if(NOT line IN_LIST reported)
        list(APPEND faults "not reported: ${line}")
    endif()
endforeach()
foreach(line IN LISTS reported)
    if(NOT line IN_LIST expected)
        list(APPEND faults "reported but not expected: ${line}")
    endif()
endforeach()
if(NOT output MATCHES "Layering: ([^\n]* )?${expected_count} files checked")
    list(APPEND faults "the check did not report ${expected_count} files checked")
endif()
if(expected AND status EQUAL 0)
    list(APPEND faults "the check passed although there are problems")
elseif(NOT expected AND NOT status EQUAL 0)
    list(APPEND faults "the check failed although there is no problem")
endif()
if(faults)
    list(JOIN faults "\n" faults)
    message(FATAL_ERROR "The layering check on ${ROOT} did not do its job:\n${faults}")
endif()
