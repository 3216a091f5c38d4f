#pragma once

#include "db/DbError.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

// The data-access layer speaks one dialect. When the engine behind a data source speaks
// another, a Dialect sits between the program's statement text and the driver. It is chosen
// per connection from the engine's DBMS name; engines without one get the text untouched.

using RawRow = QList<std::optional<QString>>;

// The driver connection below any dialect: statements go to the driver exactly as given.
class RawSession
{
public:
    virtual ~RawSession() = default;
    virtual void executeRaw(const QString& sql) = 0;        // throws DbError
    virtual QList<RawRow> queryRaw(const QString& sql) = 0; // all rows; throws DbError
};

// What a dialect may need to know about the connection it serves.
struct DialectContext
{
    QString dataSource;
    QString user;
    QString password;
    // A key of the data source's ODBC configuration ("DatabaseName", "MachineName", ...),
    // or nothing when the data source does not set it.
    std::function<std::optional<QString>(const QString& key)> dataSourceValue;
};

class Dialect
{
public:
    virtual ~Dialect() = default;
    // Runs once, right after the driver connected. Throws DbError to refuse the connection
    // (a wrong login, an engine that is not set up as expected).
    virtual void attach(RawSession& session, const DialectContext& context) = 0;
    // The driver statements that carry out one command text of the program, in order.
    // An empty list means there is nothing to send (a "commit" under autocommit, say).
    virtual QStringList translate(const QString& commandText) = 0;
    // A failure of a statement in the terms the program knows (see DbErrors: a lock another
    // program holds, say); by default the driver's error as it is.
    virtual DbError describe(const DbError& error) const { return error; }
};

// The dialect for an engine, by the DBMS name its driver reports; null means "untouched".
std::unique_ptr<Dialect> makeDialect(const QString& dbmsName);
// Once at start-up, before the first connection: each dialect may set up its engine's client
// library in this process.
void prepareDialects();
