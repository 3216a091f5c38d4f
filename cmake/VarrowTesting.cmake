# varrow_add_test(<name> SOURCES <files...> [LIBS <targets...>] [LABELS <labels...>])
#
# One Qt Test executable, registered with CTest under its own name. Tests run with the
# offscreen platform and never touch the user's settings, ODBC configuration or data folder:
# each test process gets a private HOME and XDG folders below the build tree, and the ODBC
# driver manager reads only the files a test writes itself. Each program ends with
# VARROW_TEST_MAIN or VARROW_TEST_GUILESS_MAIN (tests/support/TestMain.h), so an exception that
# escapes one test function fails that function and the others still run.
function(varrow_add_test name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE varrow_flags Qt6::Test ${T_LIBS})
    set(home ${CMAKE_BINARY_DIR}/test-home/${name})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        LABELS "${T_LABELS}"
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;VARROW_HEADLESS=1;HOME=${home};XDG_CONFIG_HOME=${home}/config;XDG_DATA_HOME=${home}/data;XDG_CACHE_HOME=${home}/cache;ODBCSYSINI=${home}/odbc;ODBCINI=${home}/odbc/odbc.ini;ASAN_OPTIONS=detect_leaks=0:abort_on_error=1;UBSAN_OPTIONS=print_stacktrace=1")
    file(MAKE_DIRECTORY ${home}/odbc)
endfunction()
