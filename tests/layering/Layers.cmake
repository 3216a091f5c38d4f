# Who may include whom. Every folder at the project root that holds program code is named
# here; the layering check reads this file and nothing else for its rules.
#
# A file includes headers of its own folder and of the folders it is allowed below it, never
# of a folder above it. A file's folder is the first component of its path from the project
# root, so sqlite/sqlext/ belongs to sqlite/. Files under tests/ are not checked.

# The layers, lowest first: each may include itself and every layer before it.
set(VARROW_LAYERS
    base      # errors, logs, settings, phrases, clock, the Ui seam
    db        # ODBC data access
    sqlite    # the engine stand-in, its C extension included
    postgres  # the stand-in's dialect for PostgreSQL, on sqlite's tokenizer and rules
    dialects  # picks a dialect
    views     # models behind the windows
    session
    copy
    sync
    remote
    app       # composition root, start-up, commands
    gui       # every widget, the Qt Ui, vrw1's main
)

# Folders beside the ladder. VARROW_MAY_INCLUDE_<folder> lists what each may include
# besides itself.
set(VARROW_SIDE_FOLDERS tools schema bench)
# Console tools: anything but windows.
set(VARROW_MAY_INCLUDE_tools ${VARROW_LAYERS} schema)
list(REMOVE_ITEM VARROW_MAY_INCLUDE_tools gui)
# The benchmark drives the program as the tools do.
set(VARROW_MAY_INCLUDE_bench ${VARROW_MAY_INCLUDE_tools})
# The demo schema and data generator is a library of its own.
set(VARROW_MAY_INCLUDE_schema base)

# The only folders whose files may include a Qt Widgets or Qt Gui header, and the Qt modules
# that count as such.
set(VARROW_WIDGET_FOLDERS gui)
set(VARROW_WIDGET_MODULES QtGui QtWidgets QtOpenGL QtOpenGLWidgets QtPrintSupport)
