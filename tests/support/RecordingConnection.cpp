#include "tests/support/RecordingConnection.h"

#include "db/ConnectionString.h"

RecordingConnection::RecordingConnection(std::unique_ptr<Connection> inner,
                                         std::shared_ptr<StatementLog> log)
    : m_inner(std::move(inner)), m_log(std::move(log))
{
}

void RecordingConnection::record(RecordedStatement::Kind kind, const QString& text)
{
    const QString dataSource =
        ConnectionString::parse(m_inner->connectionString()).value(QStringLiteral("DSN"));
    m_log->append({kind, dataSource, text});
}

long RecordingConnection::execute(const QString& commandText)
{
    record(RecordedStatement::Kind::Execute, commandText);
    return m_inner->execute(commandText);
}

std::unique_ptr<Recordset> RecordingConnection::openRecordset(const QString& query, CursorType type)
{
    record(RecordedStatement::Kind::Query, query);
    return m_inner->openRecordset(query, type);
}
