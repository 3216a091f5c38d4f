#include "db/OdbcRecordset.h"

#include "db/DbErrors.h"
#include "db/OdbcSession.h"
#include "db/OdbcStatement.h"

OdbcRecordset::OdbcRecordset(std::shared_ptr<OdbcSession> session, QString query, CursorType type)
    : m_session(std::move(session)), m_query(std::move(query)), m_type(type)
{
    run();
}

OdbcRecordset::~OdbcRecordset() = default;

void OdbcRecordset::run()
{
    m_statement.reset();
    m_names.clear();
    m_rows.clear();
    m_rowsRead = 0;
    m_index = -1;
    m_bof = m_eof = true;

    std::unique_ptr<OdbcStatement> statement = m_session->query(m_query);
    if (!statement)
        return; // the command text needed no statement: an empty result
    m_names = statement->columnNames();
    if (m_names.isEmpty())
        return; // an update or the like: no rows to read

    if (isStatic()) {
        m_rows = statement->fetchAll();
        m_index = m_rows.isEmpty() ? -1 : 0;
        m_bof = m_eof = m_rows.isEmpty();
        return;
    }
    m_statement = std::move(statement);
    fetchForward();
    m_bof = m_eof;
}

void OdbcRecordset::fetchForward()
{
    m_rows.clear();
    if (m_statement->fetch()) {
        m_rows.append(m_statement->row());
        ++m_rowsRead;
        m_eof = false;
        return;
    }
    m_eof = true;
    // Past the last row the cursor is of no more use; letting it go early releases the
    // engine's read lock while the program goes on writing.
    m_statement.reset();
}

void OdbcRecordset::ensureUsable() const
{
    if (m_closed)
        throw DbErrors::resultSetClosed();
    if (!m_session->isConnected())
        throw DbErrors::notConnected();
}

void OdbcRecordset::moved()
{
    if (m_onMove)
        m_onMove();
}

bool OdbcRecordset::isOpen() const
{
    return !m_closed && m_session->isConnected();
}

bool OdbcRecordset::bof() const
{
    ensureUsable();
    return m_bof;
}

bool OdbcRecordset::eof() const
{
    ensureUsable();
    return m_eof;
}

void OdbcRecordset::moveNext()
{
    ensureUsable();
    if (m_eof)
        throw DbErrors::noCurrentRecord();
    if (isStatic()) {
        ++m_index;
        m_bof = false;
        m_eof = m_index >= m_rows.size();
    } else {
        fetchForward();
    }
    moved();
}

void OdbcRecordset::movePrevious()
{
    ensureUsable();
    if (!isStatic())
        throw DbErrors::notSupported(
            QStringLiteral("A forward-only result set cannot move to a previous row"));
    if (m_bof)
        throw DbErrors::noCurrentRecord();
    --m_index;
    m_eof = false;
    m_bof = m_index < 0;
    moved();
}

void OdbcRecordset::moveFirst()
{
    ensureUsable();
    if (m_bof && m_eof)
        throw DbErrors::noCurrentRecord();
    if (isStatic()) {
        m_index = 0;
        m_bof = m_eof = false;
    } else if (m_rowsRead != 1 || m_eof) {
        throw DbErrors::notSupported(
            QStringLiteral("A forward-only result set cannot move back to its first row"));
    }
    moved();
}

void OdbcRecordset::moveLast()
{
    ensureUsable();
    if (!isStatic())
        throw DbErrors::notSupported(
            QStringLiteral("A forward-only result set cannot move to its last row"));
    if (m_rows.isEmpty())
        throw DbErrors::noCurrentRecord();
    m_index = m_rows.size() - 1;
    m_bof = m_eof = false;
    moved();
}

long OdbcRecordset::absolutePosition() const
{
    ensureUsable();
    if (!isStatic() || m_rows.isEmpty())
        return PositionUnknown;
    if (m_bof)
        return PositionBof;
    if (m_eof)
        return PositionEof;
    return long(m_index + 1);
}

long OdbcRecordset::recordCount() const
{
    ensureUsable();
    return isStatic() ? long(m_rows.size()) : -1;
}

void OdbcRecordset::requery()
{
    ensureUsable();
    run();
    moved();
}

void OdbcRecordset::close()
{
    m_statement.reset();
    m_rows.clear();
    m_closed = true;
}

int OdbcRecordset::fieldCount() const
{
    ensureUsable();
    return int(m_names.size());
}

void OdbcRecordset::checkField(int index) const
{
    if (index < 0 || index >= m_names.size())
        throw DbErrors::fieldNotFound(QString::number(index));
}

QString OdbcRecordset::fieldName(int index) const
{
    ensureUsable();
    checkField(index);
    return m_names.at(index);
}

DbValue OdbcRecordset::value(int index) const
{
    ensureUsable();
    checkField(index);
    if (m_bof || m_eof)
        throw DbErrors::noCurrentRecord();
    return isStatic() ? m_rows.at(m_index).at(index) : m_rows.first().at(index);
}

DbValue OdbcRecordset::value(const QString& name) const
{
    ensureUsable();
    for (qsizetype i = 0; i < m_names.size(); ++i) {
        if (m_names.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return value(int(i));
    }
    throw DbErrors::fieldNotFound(name);
}

void OdbcRecordset::setMoveCompleteHandler(std::function<void()> handler)
{
    m_onMove = std::move(handler);
}
