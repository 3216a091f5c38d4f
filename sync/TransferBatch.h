#pragma once

class Connection;

// The rows of a transfer grouped into transactions of a few hundred rows on both databases,
// so that the engines do not make every statement durable on its own. The Master Database's
// work is committed before the Remote Database's marks, so a mark never outlives the value it
// records; whatever is not committed when the batch goes (a failure, a lost connection) is
// rolled back on both, and the next run carries those rows again.
class TransferBatch
{
public:
    static constexpr int DefaultRows = 256;

    TransferBatch(Connection& master, Connection& remote, int rows = DefaultRows);
    ~TransferBatch();
    TransferBatch(const TransferBatch&) = delete;
    TransferBatch& operator=(const TransferBatch&) = delete;

    // Before a row's statements: opens a transaction on both when none is open.
    void beginRow();
    // After them: commits both once the batch is full.
    void endRow();
    // Commits what is open: the master first, then the remote. Throws DbError; what is left
    // open then is rolled back.
    void commit();
    void rollback() noexcept;

private:
    Connection& m_master;
    Connection& m_remote;
    int m_size;
    int m_rows = 0;
    bool m_open = false;
};
