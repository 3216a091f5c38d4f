#include "db/OdbcStatement.h"

#include "db/DbErrors.h"
#include "db/OdbcDiagnostics.h"
#include "db/OdbcSession.h"
#include "db/OdbcText.h"

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
    m_session->recycle(m_stmt);
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

long OdbcStatement::rowCount() const
{
    SQLLEN rows = -1;
    if (!isLive() || !SQL_SUCCEEDED(SQLRowCount(m_stmt, &rows)))
        return -1;
    return static_cast<long>(rows);
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

std::optional<QString> OdbcStatement::readValue(SQLUSMALLINT column)
{
    // The engine's bytes as they are, in chunks so a long value arrives whole; each chunk
    // leaves room for the terminator the driver always writes. Wide characters would let the
    // driver convert, and a text that is not UTF-8 would come back changed.
    constexpr SQLLEN chunkBytes = 8192;
    char buffer[chunkBytes];
    QByteArray bytes;
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc =
            SQLGetData(m_stmt, column, SQL_C_CHAR, buffer, sizeof buffer, &indicator);
        if (rc == SQL_NO_DATA)
            break; // everything was delivered by the earlier chunks
        OdbcDiagnostics::check(rc, SQL_HANDLE_STMT, m_stmt, "SQLGetData");
        if (indicator == SQL_NULL_DATA)
            return std::nullopt;
        const bool whole = indicator != SQL_NO_TOTAL && indicator < chunkBytes;
        bytes.append(buffer, whole ? indicator : chunkBytes - 1);
        if (whole)
            break;
    }
    return OdbcText::decode(bytes);
}
