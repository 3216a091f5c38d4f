#pragma once

#include "db/Dialect.h"

#include <QStringList>
#include <memory>
#include <sql.h>

class OdbcSession;

// A statement handle of an OdbcSession. Its session frees the handle when it disconnects;
// from then on every call throws "not connected" instead of touching a freed handle.
class OdbcStatement
{
public:
    ~OdbcStatement();
    OdbcStatement(const OdbcStatement&) = delete;
    OdbcStatement& operator=(const OdbcStatement&) = delete;

    bool isLive() const { return m_stmt != SQL_NULL_HSTMT; }

    // Executes one driver statement; a statement that touches no row is no failure.
    void execute(const QString& sql);
    // The rows the executed statement changed (-1 when the driver does not tell).
    long rowCount() const;
    // The result columns of the executed statement (none for an update, say).
    const QStringList& columnNames() const { return m_columns; }

    // Moves to the next row and reads it whole; false past the last row.
    bool fetch();
    const RawRow& row() const { return m_row; }
    QList<RawRow> fetchAll();

private:
    friend class OdbcSession;
    OdbcStatement(std::shared_ptr<OdbcSession> session, SQLHSTMT stmt);
    void release() noexcept;
    void ensureLive() const;
    void run(const QString& sql);
    bool fetchRow();
    std::optional<QString> readValue(SQLUSMALLINT column);
    QString readColumnName(SQLUSMALLINT column);

    std::shared_ptr<OdbcSession> m_session;
    SQLHSTMT m_stmt;
    QStringList m_columns;
    RawRow m_row;
};
