#pragma once

#include <QString>
#include <QStringList>

struct sqlite3;

// A database file opened directly through the sqlite3 C API with the stand-in's extension
// loaded, for setting up and inspecting what the tests then reach through ODBC.
class SqliteTestDatabase
{
public:
    // Creates the file when missing. Fails the running test (QFAIL-like, via qFatal) when it
    // cannot open it or load the extension.
    explicit SqliteTestDatabase(const QString& file, bool loadExtension = true);
    ~SqliteTestDatabase();
    SqliteTestDatabase(const SqliteTestDatabase&) = delete;
    SqliteTestDatabase& operator=(const SqliteTestDatabase&) = delete;

    // Runs statements; returns the error message, or an empty text on success.
    QString exec(const QString& sql);
    // Rows of a query, each as its values joined by "|", NULL as "(NULL)"; an error becomes
    // the single row "error: <message>".
    QStringList query(const QString& sql);
    // The first value of a query's first row.
    QString value(const QString& sql);

    sqlite3* handle() const { return m_db; }

    static QString extensionPath();

private:
    sqlite3* m_db = nullptr;
};
