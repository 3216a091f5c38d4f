#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

struct pg_conn;

// A PostgreSQL connection through libpq, for building and copying databases of the
// calibration schema outside the program (vrwdemo, dbbackup, tests): the program itself only
// ever reaches databases through ODBC. Values travel as text.
class PostgresDatabase
{
public:
    using Row = QList<std::optional<QString>>;

    // Where a server is and who signs in: empty fields are libpq's defaults (its PG...
    // variables, a password file), so the same code reaches a private cluster on a socket
    // folder and an existing server.
    struct Address
    {
        QString host; // a socket folder (starting with "/") or a server name
        QString port;
        QString database;
        QString user;
        QString password; // handed to libpq only, never written anywhere
    };

    explicit PostgresDatabase(const Address& address); // throws SchemaError
    ~PostgresDatabase();
    PostgresDatabase(const PostgresDatabase&) = delete;
    PostgresDatabase& operator=(const PostgresDatabase&) = delete;

    // Runs one or more statements (no result read). Throws SchemaError.
    void exec(const QString& sql);
    // Every row of a query; NULL is no value. Throws SchemaError.
    QList<Row> rows(const QString& sql);
    // The first column of the first row, or no value.
    std::optional<QString> scalar(const QString& sql);
    // COPY ... FROM STDIN in text format: each row a list of values, NULL as no value.
    void copyIn(const QString& table, const QStringList& columns, const QList<Row>& rows);

    // A role's password as the server stores it (SCRAM), so that the password itself never
    // appears in SQL text or a server log.
    QString encryptedPassword(const QString& role, const QString& password);
    // A text as a SQL literal, and a name as a quoted identifier.
    QString literal(const QString& text) const;
    static QString identifier(const QString& name);

private:
    pg_conn* m_conn = nullptr;
};
