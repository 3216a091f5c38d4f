#pragma once

#include <QCommandLineOption>
#include <QString>

// What a demo workspace holds (see DemoWorkspace).
struct DemoOptions
{
    // The state of the remote copy after it was made from the master.
    enum class Remote
    {
        FieldWork,   // field work of every kind: inserts, updates and deletes, all logged
        InsertsOnly, // only new rows were logged
        UpdatesOnly, // only column updates were logged
        Untouched,   // prepared as a remote copy, nothing done on it yet (empty change log)
        Unprepared,  // a copy never prepared by this program: no change log, no triggers
    };

    int items = 300;  // inventory items of the master, before the field work
    quint32 seed = 1; // the same seed and size give the same databases
    Remote remote = Remote::FieldWork;
    QString schemaVersion = QStringLiteral("8.2.0"); // dbconfig.version of both databases
    bool overwrite = false;                          // replace the workspace files when they exist
    QString extensionPath; // varrow_sqlext.so; empty: beside the running program
    QString driverPath;    // the SQLite ODBC driver; empty: the installed one

    // The master in a PostgreSQL database instead of a SQLite file. The server is reached as
    // libpq's defaults say (PGUSER, a password file, ...) by a role that may create databases
    // and roles; the demo's logins become roles of the server.
    bool postgresMaster = false;
    QString postgresHost; // a socket folder or a server name; empty: libpq's default
    QString postgresPort; // empty: 5432
    QString postgresDatabase = QStringLiteral("caldata");
    QString postgresDriverPath; // psqlODBC (psqlodbcw.so); empty: the installed one
};

// The command-line option that names the PostgreSQL server of a master (vrwdemo, vrwbench).
inline QCommandLineOption postgresHostOption()
{
    return QCommandLineOption(
        QStringLiteral("pg-host"),
        QStringLiteral("PostgreSQL server: a socket folder or a host name (default: libpq's)."),
        QStringLiteral("HOST"));
}
