#pragma once

#include "db/Dialect.h"
#include "db/Recordset.h"

#include <QStringList>
#include <memory>

class OdbcSession;
class OdbcStatement;

// A result set of an OdbcSession. Forward-only streams rows from the driver one at a time;
// static reads them all at open and then moves freely. Values are text with a null flag.
class OdbcRecordset : public Recordset
{
public:
    // Runs the query (through the session's dialect); throws DbError.
    OdbcRecordset(std::shared_ptr<OdbcSession> session, QString query, CursorType type);
    ~OdbcRecordset() override;

    bool isOpen() const override;
    bool bof() const override;
    bool eof() const override;

    void moveNext() override;
    void moveFirst() override;
    void moveLast() override;
    void movePrevious() override;

    long absolutePosition() const override;
    long recordCount() const override;

    void requery() override;
    void close() override;

    int fieldCount() const override;
    QString fieldName(int index) const override;
    DbValue value(int index) const override;
    DbValue value(const QString& name) const override;

    void setMoveCompleteHandler(std::function<void()> handler) override;

private:
    void run();
    void fetchForward();
    void ensureUsable() const;
    void checkField(int index) const;
    void moved();
    bool isStatic() const { return m_type == CursorType::Static; }

    std::shared_ptr<OdbcSession> m_session;
    QString m_query;
    CursorType m_type;
    std::unique_ptr<OdbcStatement> m_statement; // forward-only, until past the last row
    QStringList m_names;
    // Static: every row. Forward-only: the current row only.
    QList<RawRow> m_rows;
    // Static: index of the current row, -1 before the first, m_rows.size() after the last.
    qsizetype m_index = -1;
    qsizetype m_rowsRead = 0; // forward-only
    bool m_bof = true;
    bool m_eof = true;
    bool m_closed = false;
    std::function<void()> m_onMove;
};
