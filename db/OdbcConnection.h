#pragma once

#include "db/Connection.h"
#include "db/ConnectionString.h"
#include "db/Dialect.h"

#include <functional>
#include <memory>

class OdbcSession;

// Chooses the dialect for an engine by its DBMS name; null means "texts untouched".
using DialectFactory = std::function<std::unique_ptr<Dialect>(const QString& dbmsName)>;

// A Connection over the ODBC driver manager. Autocommit stays on: the program never opens a
// transaction, so each statement is applied when it succeeds.
class OdbcConnection : public Connection
{
public:
    // Tests of the layer pass a factory that returns no dialect, or one of their own.
    explicit OdbcConnection(DialectFactory dialectFactory = makeDialect);
    ~OdbcConnection() override;

    void setConnectionString(const QString& text) override { m_connectionString = text; }
    QString connectionString() const override { return m_connectionString; }

    void open(const QString& user = QString(), const QString& password = QString()) override;
    void close() override;
    int state() const override;
    std::optional<DbError> lastError() const override { return m_lastError; }

    long execute(const QString& commandText) override;
    std::unique_ptr<Recordset> openRecordset(const QString& query,
                                             CursorType type = CursorType::ForwardOnly) override;

    QString dbmsName() const override;

    void beginTransaction() override;
    void commitTransaction() override;
    void rollbackTransaction() noexcept override;

private:
    OdbcSession& session();

    QString m_connectionString;
    std::optional<DbError> m_lastError;
    std::shared_ptr<OdbcSession> m_session;
    ConnectionString m_attributes; // of the last open(): what no error of ours may quote
    DialectFactory m_dialectFactory;
};
