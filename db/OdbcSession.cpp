#include "db/OdbcSession.h"

#include "db/DbErrors.h"
#include "db/OdbcDiagnostics.h"
#include "db/OdbcEnvironment.h"
#include "db/OdbcStatement.h"

#include <algorithm>
#include <sqlext.h>

std::shared_ptr<OdbcSession> OdbcSession::allocate()
{
    SQLHDBC dbc = SQL_NULL_HDBC;
    const SQLHENV env = OdbcEnvironment::handle();
    OdbcDiagnostics::check(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc), SQL_HANDLE_ENV, env,
                           "SQLAllocHandle");
    // Owned from here on, so every failure below frees the handle.
    return std::shared_ptr<OdbcSession>(new OdbcSession(dbc));
}

void OdbcSession::connected(SQLRETURN rc, const char* call)
{
    if (!SQL_SUCCEEDED(rc)) {
        DbError error = OdbcDiagnostics::read(SQL_HANDLE_DBC, m_dbc, call);
        SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
        m_dbc = SQL_NULL_HDBC;
        throw error;
    }
    SQLCHAR name[256] = {};
    SQLSMALLINT length = 0;
    OdbcDiagnostics::check(SQLGetInfo(m_dbc, SQL_DBMS_NAME, name, sizeof name, &length),
                           SQL_HANDLE_DBC, m_dbc, "SQLGetInfo");
    m_dbmsName = OdbcDiagnostics::fromOdbcText(name, qMin<qsizetype>(length, sizeof name - 1));
}

// Narrow calls with UTF-8: the driver manager converts wide calls for a narrow driver (the
// SQLite one is narrow) through Latin-1 only, which would mangle other letters.

std::shared_ptr<OdbcSession> OdbcSession::connectDataSource(const QString& dataSource,
                                                            const QString& user,
                                                            const QString& password)
{
    std::shared_ptr<OdbcSession> session = allocate();
    QByteArray name = OdbcDiagnostics::toOdbcText(dataSource);
    QByteArray userText = OdbcDiagnostics::toOdbcText(user);
    QByteArray passwordText = OdbcDiagnostics::toOdbcText(password);
    const SQLRETURN rc = SQLConnect(
        session->m_dbc, reinterpret_cast<SQLCHAR*>(name.data()), SQLSMALLINT(name.size()),
        reinterpret_cast<SQLCHAR*>(userText.data()), SQLSMALLINT(userText.size()),
        reinterpret_cast<SQLCHAR*>(passwordText.data()), SQLSMALLINT(passwordText.size()));
    passwordText.fill('\0');
    session->connected(rc, "SQLConnect");
    return session;
}

std::shared_ptr<OdbcSession> OdbcSession::connect(const QString& connectionString)
{
    std::shared_ptr<OdbcSession> session = allocate();
    QByteArray text = OdbcDiagnostics::toOdbcText(connectionString);
    // No output buffer: a completed connection string may hold what the driver added to it.
    const SQLRETURN rc =
        SQLDriverConnect(session->m_dbc, nullptr, reinterpret_cast<SQLCHAR*>(text.data()),
                         SQLSMALLINT(text.size()), nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
    text.fill('\0');
    session->connected(rc, "SQLDriverConnect");
    return session;
}

OdbcSession::~OdbcSession()
{
    disconnect();
}

void OdbcSession::disconnect() noexcept
{
    if (m_dbc == SQL_NULL_HDBC)
        return;
    // Statements first: result sets still hold them, and they must find them released.
    const QSet<OdbcStatement*> statements = m_statements;
    for (OdbcStatement* statement : statements)
        statement->release();
    m_statements.clear();
    for (SQLHSTMT stmt : std::as_const(m_spare))
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    m_spare.clear();
    m_dialect.reset();
    // A transaction left open is undone first: a driver may refuse to disconnect while one is
    // open, and would then keep its locks. A failing disconnect (a connection already lost)
    // still frees the handle.
    SQLEndTran(SQL_HANDLE_DBC, m_dbc, SQL_ROLLBACK);
    SQLDisconnect(m_dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
    m_dbc = SQL_NULL_HDBC;
    m_dbmsName.clear();
}

void OdbcSession::beginTransaction()
{
    if (!isConnected())
        throw DbErrors::notConnected();
    OdbcDiagnostics::check(SQLSetConnectAttr(m_dbc, SQL_ATTR_AUTOCOMMIT,
                                             reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF),
                                             SQL_IS_UINTEGER),
                           SQL_HANDLE_DBC, m_dbc, "SQLSetConnectAttr");
}

void OdbcSession::endTransaction(bool commit)
{
    if (!isConnected())
        throw DbErrors::notConnected();
    const SQLRETURN ended = SQLEndTran(SQL_HANDLE_DBC, m_dbc, commit ? SQL_COMMIT : SQL_ROLLBACK);
    // Back to autocommit whatever the end gave, so that no later statement stays uncommitted.
    SQLSetConnectAttr(m_dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON),
                      SQL_IS_UINTEGER);
    OdbcDiagnostics::check(ended, SQL_HANDLE_DBC, m_dbc, "SQLEndTran");
}

std::unique_ptr<OdbcStatement> OdbcSession::newStatement()
{
    if (!isConnected())
        throw DbErrors::notConnected();
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    if (!m_spare.isEmpty())
        stmt = m_spare.takeLast();
    else
        OdbcDiagnostics::check(SQLAllocHandle(SQL_HANDLE_STMT, m_dbc, &stmt), SQL_HANDLE_DBC, m_dbc,
                               "SQLAllocHandle");
    std::unique_ptr<OdbcStatement> statement(new OdbcStatement(shared_from_this(), stmt));
    m_statements.insert(statement.get());
    return statement;
}

void OdbcSession::recycle(SQLHSTMT stmt) noexcept
{
    constexpr qsizetype kept = 4;
    if (m_dbc != SQL_NULL_HDBC && m_spare.size() < kept &&
        SQL_SUCCEEDED(SQLFreeStmt(stmt, SQL_CLOSE)) &&
        SQL_SUCCEEDED(SQLFreeStmt(stmt, SQL_UNBIND)) &&
        SQL_SUCCEEDED(SQLFreeStmt(stmt, SQL_RESET_PARAMS))) {
        m_spare.append(stmt);
        return;
    }
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
}

QStringList OdbcSession::translate(const QString& commandText)
{
    if (!isConnected())
        throw DbErrors::notConnected();
    return m_dialect ? m_dialect->translate(commandText) : QStringList{commandText};
}

long OdbcSession::execute(const QString& commandText)
{
    long changed = -1;
    for (const QString& sql : translate(commandText)) {
        std::unique_ptr<OdbcStatement> statement = newStatement();
        statement->execute(sql);
        const long rows = statement->rowCount();
        if (rows >= 0)
            changed = std::max(changed, 0L) + rows;
    }
    return changed;
}

std::unique_ptr<OdbcStatement> OdbcSession::query(const QString& commandText)
{
    const QStringList statements = translate(commandText);
    if (statements.isEmpty())
        return nullptr;
    for (qsizetype i = 0; i + 1 < statements.size(); ++i)
        executeRaw(statements.at(i));
    std::unique_ptr<OdbcStatement> statement = newStatement();
    statement->execute(statements.last());
    return statement;
}

void OdbcSession::executeRaw(const QString& sql)
{
    newStatement()->execute(sql);
}

QList<RawRow> OdbcSession::queryRaw(const QString& sql)
{
    std::unique_ptr<OdbcStatement> statement = newStatement();
    statement->execute(sql);
    return statement->fetchAll();
}
