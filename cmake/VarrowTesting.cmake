# varrow_add_test(<name> [BOTH_MASTERS] SOURCES <files...> [LIBS <targets...>] [LABELS <labels...>])
#
# One Qt Test executable, registered with CTest under its own name. Tests run with the
# offscreen platform and never touch the user's settings, ODBC configuration or data folder:
# each test process gets a private HOME and XDG folders below the build tree, and the ODBC
# driver manager reads only the files a test writes itself. Each program ends with
# VARROW_TEST_MAIN or VARROW_TEST_GUILESS_MAIN (tests/support/TestMain.h), so an exception that
# escapes one test function fails that function and the others still run.
function(varrow_add_test name)
    cmake_parse_arguments(T "BOTH_MASTERS" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE varrow_flags Qt6::Test ${T_LIBS})
    _varrow_register_test(${name} ${name} "" "${T_LABELS}")
    # BOTH_MASTERS: the scenario runs again as <name>_postgresql with the master in a
    # PostgreSQL database of a private cluster; skipped (exit status 77, saying why) only when
    # no PostgreSQL server can be started on the machine.
    if(T_BOTH_MASTERS)
        _varrow_register_test(${name}_postgresql ${name} "VARROW_TEST_MASTER=postgresql"
                              "${T_LABELS};postgres")
        set_tests_properties(${name}_postgresql PROPERTIES SKIP_RETURN_CODE 77)
    endif()
endfunction()

function(_varrow_register_test test program extra labels)
    set(home ${CMAKE_BINARY_DIR}/test-home/${test})
    add_test(NAME ${test} COMMAND ${program})
    set(environment "QT_QPA_PLATFORM=offscreen;VARROW_HEADLESS=1;HOME=${home};XDG_CONFIG_HOME=${home}/config;XDG_DATA_HOME=${home}/data;XDG_CACHE_HOME=${home}/cache;ODBCSYSINI=${home}/odbc;ODBCINI=${home}/odbc/odbc.ini;ASAN_OPTIONS=detect_leaks=0:abort_on_error=1;UBSAN_OPTIONS=print_stacktrace=1")
    if(extra)
        list(APPEND environment ${extra})
    endif()
    set_tests_properties(${test} PROPERTIES LABELS "${labels}" ENVIRONMENT "${environment}")
    file(MAKE_DIRECTORY ${home}/odbc)
endfunction()
