#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <memory>

class SqliteDatabase;
class PostgresDatabase;

// A test's own connection to a workspace's master, beside the program's ODBC path, whichever
// engine holds it. Statements run as they are written, with the owner's tables found without
// "mt." (a SQLite file has no owners; a PostgreSQL connection searches mt, then sys, then the
// tests' own schema varrow_test with the SQLite functions they use). Values
// come back as the engine stores them, a PostgreSQL value always as text. Throws SchemaError.
class MasterDatabase
{
public:
    virtual ~MasterDatabase() = default;
    virtual void exec(const QString& sql) = 0;
    virtual QList<QVariantList> rows(const QString& sql) = 0;
    QVariant scalar(const QString& sql);

    // Holds the database against other writers, as another program's open write transaction
    // does, until rollback(); readers go on.
    virtual void holdWriteLock() = 0;
    virtual void rollback() = 0;
    // A rule of the master's own that refuses each row of an event ("insert", "update of c")
    // on a table, with the message given.
    virtual void refuse(const QString& event, const QString& table, const QString& message) = 0;

    static std::unique_ptr<MasterDatabase> sqlite(std::unique_ptr<SqliteDatabase> db);
    static std::unique_ptr<MasterDatabase> postgres(std::unique_ptr<PostgresDatabase> db);
};
