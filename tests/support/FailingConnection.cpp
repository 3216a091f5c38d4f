#include "tests/support/FailingConnection.h"

#include "db/ConnectionString.h"

FailingConnection::FailingConnection(std::unique_ptr<Connection> inner,
                                     std::shared_ptr<FaultInjector> faults)
    : m_inner(std::move(inner)), m_faults(std::move(faults))
{
}

QString FailingConnection::dataSource() const
{
    return ConnectionString::parse(m_inner->connectionString()).value(QStringLiteral("DSN"));
}

void FailingConnection::open(const QString& user, const QString& password)
{
    m_openError.reset();
    if (std::optional<FaultInjector::Fault> fault = m_faults->openFault(dataSource())) {
        m_openError = fault->error;
        return;
    }
    m_inner->open(user, password);
}

std::optional<DbError> FailingConnection::lastError() const
{
    return m_openError ? m_openError : m_inner->lastError();
}

void FailingConnection::injectFor(const QString& text)
{
    std::optional<FaultInjector::Fault> fault = m_faults->statementFault(dataSource(), text);
    if (!fault)
        return;
    if (fault->dropConnection)
        m_inner->close();
    throw fault->error;
}

long FailingConnection::execute(const QString& commandText)
{
    injectFor(commandText);
    return m_inner->execute(commandText);
}

void FailingConnection::commitTransaction()
{
    injectFor(QStringLiteral("commit transaction"));
    m_inner->commitTransaction();
}

std::unique_ptr<Recordset> FailingConnection::openRecordset(const QString& query, CursorType type)
{
    injectFor(query);
    return m_inner->openRecordset(query, type);
}
