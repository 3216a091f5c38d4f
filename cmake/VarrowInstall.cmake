# cmake --install: vrw1 and the console tools in bin/, the phrase file in share/varrow/, the
# stand-in's engine folder in lib/varrow/ (its SQLite extension beside the utilities dbstop
# and dbbackup, which a data source's Start key names), and a desktop entry with its icon.
# The folders are set in the top CMakeLists.txt, where the programs learn them too.
install(TARGETS vrw1 vrwsql vrwdemo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/app/vrwphrases.txt DESTINATION ${VARROW_INSTALL_DATADIR})
install(TARGETS dbstop dbbackup RUNTIME DESTINATION ${VARROW_INSTALL_STANDINDIR})
install(TARGETS varrow_sqlext LIBRARY DESTINATION ${VARROW_INSTALL_STANDINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/gui/varrow.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/gui/varrow.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
