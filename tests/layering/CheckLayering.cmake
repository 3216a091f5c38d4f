# Fails when a source of varrow_core (or of the engine stand-in) includes a widget header.
# Window classes live in files named Form*/MDIForm*/Qt*Ui*/ or in a gui/ folder and are
# compiled into varrow_gui only; everything else is logic.
file(GLOB_RECURSE sources
     ${SOURCE_DIR}/app/*.h ${SOURCE_DIR}/app/*.cpp ${SOURCE_DIR}/db/*.h ${SOURCE_DIR}/db/*.cpp
     ${SOURCE_DIR}/copy/*.h ${SOURCE_DIR}/copy/*.cpp ${SOURCE_DIR}/sync/*.h ${SOURCE_DIR}/sync/*.cpp
     ${SOURCE_DIR}/remote/*.h ${SOURCE_DIR}/remote/*.cpp ${SOURCE_DIR}/views/*.h ${SOURCE_DIR}/views/*.cpp
     ${SOURCE_DIR}/sqlite/*.h ${SOURCE_DIR}/sqlite/*.cpp ${SOURCE_DIR}/schema/*.h ${SOURCE_DIR}/schema/*.cpp)
set(bad "")
foreach(f IN LISTS sources)
    get_filename_component(base ${f} NAME)
    if(f MATCHES "/gui/" OR base MATCHES "^(Form|MDIForm|Qt)" OR base STREQUAL "main.cpp")
        continue()
    endif()
    file(STRINGS ${f} lines REGEX "#[ \t]*include[ \t]*[<\"](QtWidgets/|QtGui/|Q(Widget|MainWindow|Dialog|MessageBox|Application|Menu|MenuBar|Action|Label|LineEdit|ComboBox|PushButton|ProgressBar|GroupBox|TableView|MdiArea|MdiSubWindow|Screen|Cursor|Icon|Pixmap)[>\"])")
    if(lines)
        list(APPEND bad "${f}: ${lines}")
    endif()
endforeach()
if(bad)
    string(REPLACE ";" "\n" bad "${bad}")
    message(FATAL_ERROR "Logic files include window headers:\n${bad}")
endif()
