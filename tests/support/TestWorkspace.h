#pragma once

#include "schema/DemoOptions.h"
#include "schema/DemoWorkspace.h"
#include "schema/SqliteDatabase.h"

#include <QString>
#include <QTemporaryDir>
#include <memory>

// A demo workspace (see vrwdemo) in a temporary folder of its own, removed with the object.
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
    std::unique_ptr<SqliteDatabase> openMaster() const;
    std::unique_ptr<SqliteDatabase> openRemote() const;

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
};
