#include "db/OdbcStatement.h"

#include "db/DbErrors.h"
#include "db/OdbcDiagnostics.h"
#include "db/OdbcSession.h"

#include <sqlext.h>

OdbcStatement::OdbcStatement(std::shared_ptr<OdbcSession> session, SQLHSTMT stmt)
    : m_session(std::move(session)), m_stmt(stmt)
{
}

OdbcStatement::~OdbcStatement()
{
    release();
    m_session->forget(this);
}

void OdbcStatement::release() noexcept
{
    if (m_stmt == SQL_NULL_HSTMT)
        return;
    SQLFreeHandle(SQL_HANDLE_STMT, m_stmt);
    m_stmt = SQL_NULL_HSTMT;
    m_row.clear();
}

void OdbcStatement::ensureLive() const
{
    if (!isLive())
        throw DbErrors::notConnected();
}

void OdbcStatement::execute(const QString& sql)
{
    try {
        run(sql);
    } catch (const DbError& error) {
        throw m_session->describe(error);
    }
}

void OdbcStatement::run(const QString& sql)
{
    ensureLive();
    m_columns.clear();
    m_row.clear();
    QByteArray text = OdbcDiagnostics::toOdbcText(sql);
    OdbcDiagnostics::check(
        SQLExecDirect(m_stmt, reinterpret_cast<SQLCHAR*>(text.data()), SQLINTEGER(text.size())),
        SQL_HANDLE_STMT, m_stmt, "SQLExecDirect", true);
    SQLSMALLINT count = 0;
    OdbcDiagnostics::check(SQLNumResultCols(m_stmt, &count), SQL_HANDLE_STMT, m_stmt,
                           "SQLNumResultCols");
    for (SQLSMALLINT column = 1; column <= count; ++column)
        m_columns.append(readColumnName(SQLUSMALLINT(column)));
}

QString OdbcStatement::readColumnName(SQLUSMALLINT column)
{
    QByteArray name(256, '\0');
    SQLSMALLINT length = 0;
    auto describe = [&] {
        OdbcDiagnostics::check(
            SQLDescribeCol(m_stmt, column, reinterpret_cast<SQLCHAR*>(name.data()),
                           SQLSMALLINT(name.size()), &length, nullptr, nullptr, nullptr, nullptr),
            SQL_HANDLE_STMT, m_stmt, "SQLDescribeCol");
    };
    describe();
    if (length >= name.size()) {
        name.resize(length + 1);
        describe();
    }
    return OdbcDiagnostics::fromOdbcText(reinterpret_cast<const SQLCHAR*>(name.constData()),
                                         qMin<qsizetype>(length, name.size() - 1));
}

bool OdbcStatement::fetch()
{
    try {
        return fetchRow();
    } catch (const DbError& error) {
        throw m_session->describe(error);
    }
}

bool OdbcStatement::fetchRow()
{
    ensureLive();
    m_row.clear();
    if (m_columns.isEmpty())
        return false;
    const SQLRETURN rc = SQLFetch(m_stmt);
    if (rc == SQL_NO_DATA)
        return false;
    OdbcDiagnostics::check(rc, SQL_HANDLE_STMT, m_stmt, "SQLFetch");
    // Whole rows at once: drivers need SQLGetData in column order, each column once.
    RawRow row;
    row.reserve(m_columns.size());
    for (qsizetype column = 1; column <= m_columns.size(); ++column)
        row.append(readValue(SQLUSMALLINT(column)));
    m_row = std::move(row);
    return true;
}

QList<RawRow> OdbcStatement::fetchAll()
{
    QList<RawRow> rows;
    while (fetch())
        rows.append(m_row);
    return rows;
}

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "the driver manager speaks UTF-16");

std::optional<QString> OdbcStatement::readValue(SQLUSMALLINT column)
{
    // Wide characters so any text arrives as the engine holds it; in chunks so a long value
    // arrives whole. Each chunk leaves room for the terminator the driver always writes.
    constexpr SQLLEN chunkChars = 4096;
    SQLWCHAR buffer[chunkChars];
    QString value;
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc =
            SQLGetData(m_stmt, column, SQL_C_WCHAR, buffer, sizeof buffer, &indicator);
        if (rc == SQL_NO_DATA)
            break; // everything was delivered by the earlier chunks
        OdbcDiagnostics::check(rc, SQL_HANDLE_STMT, m_stmt, "SQLGetData");
        if (indicator == SQL_NULL_DATA)
            return std::nullopt;
        const bool whole = indicator != SQL_NO_TOTAL && indicator < SQLLEN(sizeof buffer);
        const SQLLEN chars = whole ? indicator / SQLLEN(sizeof(SQLWCHAR)) : chunkChars - 1;
        value.append(QStringView(reinterpret_cast<const char16_t*>(buffer), chars));
        if (whole)
            break;
    }
    return value;
}
