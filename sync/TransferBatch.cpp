#include "sync/TransferBatch.h"

#include "db/Connection.h"

TransferBatch::TransferBatch(Connection& master, Connection& remote, int rows)
    : m_master(master), m_remote(remote), m_size(rows)
{
}

TransferBatch::~TransferBatch()
{
    rollback();
}

void TransferBatch::beginRow()
{
    if (m_open)
        return;
    m_open = true;
    m_rows = 0;
    try {
        m_master.beginTransaction();
        m_remote.beginTransaction();
    } catch (...) {
        rollback();
        throw;
    }
}

void TransferBatch::endRow()
{
    if (m_open && ++m_rows >= m_size)
        commit();
}

void TransferBatch::commit()
{
    if (!m_open)
        return;
    try {
        m_master.commitTransaction();
        m_remote.commitTransaction();
    } catch (...) {
        rollback();
        throw;
    }
    m_open = false;
}

void TransferBatch::rollback() noexcept
{
    if (!m_open)
        return;
    m_open = false;
    m_remote.rollbackTransaction();
    m_master.rollbackTransaction();
}
