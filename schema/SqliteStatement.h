#pragma once

#include <QString>
#include <QVariant>

struct sqlite3;
struct sqlite3_stmt;

// One prepared SQLite statement. Values are bound by position from 1; a null QVariant binds
// NULL, a QByteArray a blob, numbers as numbers and everything else as UTF-8 text.
class SqliteStatement
{
public:
    SqliteStatement(sqlite3* db, const QString& sql); // throws SchemaError
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    void bind(int position, const QVariant& value);
    // Binds all values in order, runs the statement to its end and resets it for the next use.
    void execute(const QVariantList& values = {});
    // Moves to the next row; false at the end. Throws SchemaError on a failure.
    bool step();
    void reset();

    int columnCount() const;
    QString columnName(int index) const;
    // NULL as a null QVariant, integers as qint64, reals as double, blobs as QByteArray,
    // text as QString.
    QVariant value(int index) const;

    const QString& sql() const { return m_sql; }

private:
    [[noreturn]] void fail(const char* what) const;

    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
    QString m_sql;
};
