#pragma once

#include "db/DbError.h"
#include "db/Recordset.h"

#include <QString>
#include <memory>
#include <optional>

// One database connection, ADO style. Every statement text goes to the engine through here,
// exactly as the program wrote it; only a dialect below (see Dialect.h) may rewrite it.
//
// This is also the seam for tests: decorators record the texts or inject failures.
class Connection
{
public:
    virtual ~Connection() = default;

    // "DSN=.." or "PROVIDER=MSDASQL.1;dsn=.." (the provider attribute is dropped); UID and PWD
    // may stand in it too. Other attributes (DRIVER=.., driver keys) are passed to the driver.
    virtual void setConnectionString(const QString& text) = 0;
    virtual QString connectionString() const = 0;

    // Opens the connection; a non-empty user or password replaces the one of the connection
    // string. A data source named alone is opened by name with user and password as arguments
    // of their own; any other connection string goes to the driver without them (only a
    // dialect sees them then). An empty data source is refused before the driver is asked.
    // A failed open does not throw: the connection stays closed and lastError() tells why.
    virtual void open(const QString& user = QString(), const QString& password = QString()) = 0;
    // Closes the result sets opened on it, then the connection. Never throws.
    virtual void close() = 0;
    // 1 when open, 0 when closed.
    virtual int state() const = 0;
    virtual std::optional<DbError> lastError() const = 0;

    // Runs a command text (possibly several statements separated by ";") without reading a
    // result, and returns the number of rows its statements changed (-1 when the engine tells
    // none). Throws DbError; on a closed connection the description says "not connected".
    virtual long execute(const QString& commandText) = 0;
    // Runs a query and returns its result set. Throws DbError like execute().
    virtual std::unique_ptr<Recordset> openRecordset(const QString& query,
                                                     CursorType type = CursorType::ForwardOnly) = 0;

    // The engine's DBMS name (SQL_DBMS_NAME) while open, else empty.
    virtual QString dbmsName() const = 0;

    // Groups the statements that follow into one transaction, until commitTransaction() or
    // rollbackTransaction() returns the connection to autocommit. An engine that honours a
    // statement's own "commit" ends the transaction there, as before. Both throw DbError.
    virtual void beginTransaction() = 0;
    virtual void commitTransaction() = 0;
    // Undoes what the transaction did; never throws (a lost connection has nothing to undo).
    virtual void rollbackTransaction() noexcept = 0;
};

// Makes connections. The program asks this for every new connection, so tests can hand out
// recording or failing ones.
class ConnectionFactory
{
public:
    virtual ~ConnectionFactory() = default;
    virtual std::unique_ptr<Connection> create() = 0;
};
