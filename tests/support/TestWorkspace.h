#pragma once

#include "schema/DemoOptions.h"
#include "schema/DemoWorkspace.h"
#include "schema/SqliteDatabase.h"
#include "tests/support/MasterDatabase.h"

#include <QString>
#include <QTemporaryDir>
#include <memory>

// A demo workspace (see vrwdemo) in a temporary folder of its own, removed with the object.
// Its master is a SQLite file, or, in the PostgreSQL runs of the scenario tests
// (testsupport::postgresMaster()), a database of the process's private cluster; a run that
// cannot start the cluster ends the process as skipped, saying why.
//
// By default it also points this process's ODBCSYSINI and ODBCINI at itself, so that the data
// sources VarrowMaster and VarrowRemote mean this workspace. Make it before the process's
// first ODBC call: the driver manager reads the files once. Further workspaces of the same
// process are Detached and reached through their files or isql().
class TestWorkspace
{
public:
    enum Odbc
    {
        PointOdbcHere,
        Detached
    };

    TestWorkspace();
    explicit TestWorkspace(const DemoOptions& options, Odbc odbc = PointOdbcHere);

    // A demo small enough for a test: every kind of record, a few dozen items.
    static DemoOptions small(DemoOptions::Remote remote = DemoOptions::Remote::FieldWork);

    // False (with error()) when the workspace could not be made.
    bool isValid() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }

    QString path() const { return m_folder.path(); }
    const DemoWorkspace::Report& report() const { return m_report; }

    // The database files opened directly, with the stand-in's extension loaded, for checks
    // beside the program's own ODBC path. Throws SchemaError.
    std::unique_ptr<SqliteDatabase> openMaster() const; // a SQLite master only
    std::unique_ptr<SqliteDatabase> openRemote() const;
    // The master, whichever engine holds it.
    std::unique_ptr<MasterDatabase> master() const;
    bool hasPostgresMaster() const { return !m_postgresDatabase.isEmpty(); }

    // The master as it is now, put back by restoreMaster() (a copy of the file, or a
    // database made from the master's as its template). Nobody may be connected to it.
    bool keepMaster();
    bool restoreMaster();

    // One value as the file stores it, for comparing two databases byte for byte: its storage
    // class, then the bits of a real or the bytes of anything else in hexadecimal
    // ("real:3fd3333333333334", "text:41E9"). "(no row)" when the query finds none.
    static QString stored(SqliteDatabase& db, const QString& column, const QString& from);

    // Runs unixODBC's own client, "isql -b DSN USER PASSWORD", on this workspace's data
    // sources whatever the process points at, feeding it the statements (one per line).
    struct IsqlResult
    {
        int exitCode = -1;
        QString output;
    };
    IsqlResult isql(const QString& dataSource, const QString& user, const QString& password,
                    const QString& statements) const;

private:
    QTemporaryDir m_folder;
    DemoWorkspace::Report m_report;
    QString m_error;
    QString m_postgresHost;
    QString m_postgresDatabase;
};
