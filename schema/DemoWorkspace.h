#pragma once

#include "schema/DemoOptions.h"

#include <QList>
#include <QPair>
#include <QString>
#include <functional>

// A demo workspace: DIR/odbcinst.ini and DIR/odbc.ini (data sources VarrowMaster and
// VarrowRemote), DIR/master/caldata.db and DIR/remote/caldata.db. The master holds a
// laboratory's records; the remote is a copy of it on which field work was logged.
//
// Logins of both files: mt (password sql, segregate MT, level 5), anna (anna4; MT, 4), ben
// (ben3; MT, 3), carla (carla5; LAB1, 5), and the administrator qeldba (dbadmin).
class DemoWorkspace
{
public:
    struct Report
    {
        QString directory;
        QString odbcIni;
        QString odbcinstIni;
        QString masterFile;
        QString remoteFile;
        QString extension;
        QString driver;
        QString postgresDriver; // psqlODBC, when the master is in PostgreSQL
        // Rows per table of the product's schema: name, master rows, remote rows.
        QList<std::tuple<QString, int, int>> rows;
        // Pending change-log rows of the remote per action; empty for an unprepared remote.
        QList<QPair<QString, int>> pending;
        bool remotePrepared = true;
    };

    using Progress = std::function<void(const QString& step)>;

    // Makes the workspace; throws SchemaError (nothing is left behind then). An existing
    // workspace in the folder is replaced only when options.overwrite is set.
    static Report create(const QString& directory, const DemoOptions& options,
                         const Progress& progress = {});

    // varrow_sqlext.so beside the running program, or in the installed stand-in's folder.
    static QString defaultExtension();
    // What vrwdemo prints: files, data sources, row counts, the change log, the logins.
    static QString describe(const Report& report);
};
