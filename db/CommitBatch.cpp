#include "db/CommitBatch.h"

#include "db/Connection.h"

CommitBatch::CommitBatch(QList<Connection*> connections, int rows) : m_size(rows)
{
    for (Connection* connection : connections) {
        if (!m_connections.contains(connection))
            m_connections.append(connection);
    }
}

CommitBatch::~CommitBatch()
{
    rollback();
}

void CommitBatch::beginRow()
{
    if (m_open)
        return;
    m_open = true;
    m_rows = 0;
    try {
        for (Connection* connection : std::as_const(m_connections))
            connection->beginTransaction();
    } catch (...) {
        rollback();
        throw;
    }
}

void CommitBatch::endRow()
{
    if (m_open && ++m_rows >= m_size)
        commit();
}

void CommitBatch::commit()
{
    if (!m_open)
        return;
    try {
        for (Connection* connection : std::as_const(m_connections))
            connection->commitTransaction();
    } catch (...) {
        rollback();
        throw;
    }
    m_open = false;
}

void CommitBatch::rollback() noexcept
{
    if (!m_open)
        return;
    m_open = false;
    for (auto connection = m_connections.crbegin(); connection != m_connections.crend();
         ++connection)
        (*connection)->rollbackTransaction();
}
