#pragma once

#include <QString>

// The ODBC configuration of a demo workspace: odbcinst.ini registers the SQLite ODBC driver
// under the stand-in's name, odbc.ini names the master and the remote data source. Neither
// file holds a user name or a password.
class DemoOdbcFiles
{
public:
    struct Paths
    {
        QString masterDatabase; // absolute paths of the database files as they will stay
        QString remoteDatabase;
        QString extension; // varrow_sqlext.so
        QString driver;    // the SQLite ODBC driver library
        // Where the engine's utilities (dbstop, dbbackup) are: the "Start" key of each data
        // source names an engine program in this folder. None when empty.
        QString engineFolder;
        // A master in PostgreSQL (masterDatabase is then the database's name): the psqlODBC
        // driver library, and where the server is.
        QString postgresDriver;
        QString postgresHost;
        QString postgresPort;
    };

    // Writes odbcinst.ini and odbc.ini into the folder. Throws SchemaError.
    static void write(const QString& folder, const Paths& paths);

    // The installed SQLite ODBC driver (libsqlite3odbc.so), or empty when none is found.
    static QString installedDriver();
    // The installed psqlODBC driver (psqlodbcw.so), or empty.
    static QString installedPostgresDriver();
    // The driver name under which odbcinst.ini registers psqlODBC.
    static QString postgresDriverName();
};
