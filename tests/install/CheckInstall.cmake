# Installs the build (BUILD_DIR) into WORK/prefix and runs what was installed; the folders
# below the prefix come from the build's configuration (BIN_DIR, DATA_DIR, STANDIN_DIR,
# APPS_DIR, ICONS_DIR).

set(prefix "${WORK}/prefix")
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/elsewhere" "${WORK}/odbc" "${WORK}/home")

execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${prefix}"
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmake --install failed (${status}):\n${out}")
endif()
foreach(file IN ITEMS "${BIN_DIR}/vrw1" "${BIN_DIR}/vrwsql" "${BIN_DIR}/vrwdemo"
                      "${DATA_DIR}/vrwphrases.txt" "${STANDIN_DIR}/varrow_sqlext.so"
                      "${STANDIN_DIR}/dbstop" "${STANDIN_DIR}/dbbackup"
                      "${APPS_DIR}/varrow.desktop" "${ICONS_DIR}/varrow.svg")
    if(NOT EXISTS "${prefix}/${file}")
        message(FATAL_ERROR "Not installed: ${file}\n${out}")
    endif()
endforeach()
file(STRINGS "${prefix}/${APPS_DIR}/varrow.desktop" exec REGEX "^Exec=")
if(NOT exec STREQUAL "Exec=vrw1")
    message(FATAL_ERROR "The desktop entry starts \"${exec}\", not vrw1")
endif()

# Runs an installed program from a folder that holds nothing of Varrow's.
function(run)
    execute_process(COMMAND ${ARGN} WORKING_DIRECTORY "${WORK}/elsewhere" TIMEOUT 60
                    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
    set(status "${status}" PARENT_SCOPE)
    set(out "${out}" PARENT_SCOPE)
    set(err "${err}" PARENT_SCOPE)
endfunction()

run("${prefix}/${BIN_DIR}/vrw1" --version)
if(NOT status EQUAL 0 OR NOT out STREQUAL "vrw1 (Varrow) 1.0.0\n")
    message(FATAL_ERROR "vrw1 --version: status ${status}, said \"${out}\" \"${err}\"")
endif()

# An unattended run without a sign-in stops at the connect's first check, with a text of
# the phrase file: it was found.
run("${prefix}/${BIN_DIR}/vrw1" -TRANSFER)
if(NOT status EQUAL 1 OR NOT err MATCHES "Login Incomplete: Fill In All Fields Before Selecting Connect!")
    message(FATAL_ERROR "installed vrw1 -TRANSFER: status ${status}, said \"${err}\"")
endif()

run("${prefix}/${BIN_DIR}/vrwdemo" "${WORK}/demo" --items 20 --quiet)
file(READ "${WORK}/demo/odbc.ini" odbc)
string(FIND "${odbc}" "Start=${prefix}/${STANDIN_DIR}/dbeng " at)
if(NOT status EQUAL 0 OR at EQUAL -1)
    message(FATAL_ERROR "installed vrwdemo: status ${status}, said \"${err}\", odbc.ini:\n${odbc}")
endif()
