#pragma once

#include "schema/SqliteStatement.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>
#include <memory>

struct sqlite3;

// Column names with the values that go with them, in order.
using SqlValues = QList<QPair<QString, QVariant>>;

// One SQLite database file opened through the C API, for building schemas and demo data
// fast and in transactions (the program itself only ever reaches databases through ODBC).
class SqliteDatabase
{
public:
    enum class Mode
    {
        OpenExisting,
        Create
    };

    SqliteDatabase(const QString& path, Mode mode); // throws SchemaError
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    const QString& path() const { return m_path; }
    sqlite3* handle() const { return m_db; }

    void loadExtension(const QString& libraryPath);
    // Runs one or more statements separated by ";" (no result read).
    void exec(const QString& sql);
    // Runs a query with bound values and returns every row.
    QList<QVariantList> rows(const QString& sql, const QVariantList& values = {});
    // The first column of the first row, or a null QVariant when there is no row.
    QVariant scalar(const QString& sql, const QVariantList& values = {});
    // A statement prepared once per text and kept for the life of the connection, so that
    // row-by-row generators do not prepare the same insert thousands of times.
    SqliteStatement& cached(const QString& sql);
    // INSERT of the given columns (the others take their defaults), through SQL, so that
    // triggers see it like any other client's insert.
    void insert(const QString& table, const SqlValues& values);
    // UPDATE table SET <values> WHERE <key columns = key values>; returns the rows changed.
    int update(const QString& table, const SqlValues& values, const SqlValues& key);
    // DELETE FROM table WHERE <key columns = key values>; returns the rows deleted.
    int remove(const QString& table, const SqlValues& key);

    void begin();
    void commit();
    void rollback() noexcept;

    // Copies this database into a new file (overwritten when it exists), as a backup would.
    void copyTo(const QString& targetPath);

private:
    QString m_path;
    sqlite3* m_db = nullptr;
    QHash<QString, std::shared_ptr<SqliteStatement>> m_cache;
};

// Commits on commit(), rolls back when left without it (an exception on the way).
class SqliteTransaction
{
public:
    explicit SqliteTransaction(SqliteDatabase& db) : m_db(db) { m_db.begin(); }
    ~SqliteTransaction()
    {
        if (!m_done)
            m_db.rollback();
    }
    SqliteTransaction(const SqliteTransaction&) = delete;
    SqliteTransaction& operator=(const SqliteTransaction&) = delete;

    void commit()
    {
        m_db.commit();
        m_done = true;
    }

private:
    SqliteDatabase& m_db;
    bool m_done = false;
};
