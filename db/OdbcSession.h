#pragma once

#include "db/Dialect.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <memory>
#include <sql.h>

class OdbcStatement;

// One driver connection, its dialect and the statements open on it. Shared by the connection
// that made it and the result sets read from it, so a result set may outlive its connection:
// disconnect() frees every statement handle first (the driver manager crashes on a statement
// handle that survives its connection), and every later use throws "not connected".
class OdbcSession : public RawSession, public std::enable_shared_from_this<OdbcSession>
{
public:
    // Connects to a data source by name (SQLConnect): user and password reach the driver as
    // arguments of their own, never inside a text the driver parses. Throws DbError.
    static std::shared_ptr<OdbcSession>
    connectDataSource(const QString& dataSource, const QString& user, const QString& password);
    // Connects with a connection string (SQLDriverConnect), which must hold no credentials.
    // Throws DbError; the connection string never appears in it.
    static std::shared_ptr<OdbcSession> connect(const QString& connectionString);
    ~OdbcSession() override;
    OdbcSession(const OdbcSession&) = delete;
    OdbcSession& operator=(const OdbcSession&) = delete;

    bool isConnected() const { return m_dbc != SQL_NULL_HDBC; }
    void disconnect() noexcept;
    QString dbmsName() const { return m_dbmsName; }

    // Without a dialect, command texts go to the driver untouched.
    void setDialect(std::unique_ptr<Dialect> dialect) { m_dialect = std::move(dialect); }
    Dialect* dialect() const { return m_dialect.get(); }
    // A failure of one of its statements as the dialect describes it.
    DbError describe(const DbError& error) const
    {
        return m_dialect ? m_dialect->describe(error) : error;
    }

    // Runs the statements of one command text in order and stops at the first error (the
    // earlier ones stay applied). Returns the rows they changed, -1 when none tells.
    long execute(const QString& commandText);
    // Runs all but the last statement of a command text and returns the last one executed,
    // ready to read; null when the command text needs no statement at all.
    std::unique_ptr<OdbcStatement> query(const QString& commandText);

    void executeRaw(const QString& sql) override;
    QList<RawRow> queryRaw(const QString& sql) override;

    // Throws "not connected" once disconnected.
    std::unique_ptr<OdbcStatement> newStatement();

    // Autocommit off, or the transaction ended (committed or rolled back) and autocommit on.
    void beginTransaction();
    void endTransaction(bool commit);

private:
    friend class OdbcStatement;
    explicit OdbcSession(SQLHDBC dbc) : m_dbc(dbc) {}
    static std::shared_ptr<OdbcSession> allocate();
    // Completes a connect call: throws its diagnostics when it failed, else reads the DBMS name.
    void connected(SQLRETURN rc, const char* call);
    QStringList translate(const QString& commandText);
    void forget(OdbcStatement* statement) { m_statements.remove(statement); }
    // Takes back a statement handle that is done with: closed and kept for the next statement
    // (allocating one per statement costs as much as a short statement), or freed.
    void recycle(SQLHSTMT stmt) noexcept;

    SQLHDBC m_dbc;
    QString m_dbmsName;
    std::unique_ptr<Dialect> m_dialect;
    QSet<OdbcStatement*> m_statements;
    QList<SQLHSTMT> m_spare; // closed handles, ready for the next statement
};
