#pragma once

#include <QList>

class Connection;

// Rows of long work grouped into transactions of a few hundred rows, so that the engines do not
// make every statement durable on its own. The connections are committed in the order given
// (a transfer names the Master Database first, so that a mark on the Remote Database never
// outlives the value it records); whatever is not committed when the batch goes (a failure, a
// lost connection) is rolled back on all of them, and the next run does those rows again.
// The same connection named twice takes part once.
class CommitBatch
{
public:
    static constexpr int DefaultRows = 256;

    explicit CommitBatch(QList<Connection*> connections, int rows = DefaultRows);
    ~CommitBatch();
    CommitBatch(const CommitBatch&) = delete;
    CommitBatch& operator=(const CommitBatch&) = delete;

    // Before a row's statements: opens a transaction on each connection when none is open.
    void beginRow();
    // After them: commits once the batch is full.
    void endRow();
    // Commits what is open, in order. Throws DbError; what is left open is then rolled back.
    void commit();
    void rollback() noexcept;

private:
    QList<Connection*> m_connections;
    int m_size;
    int m_rows = 0;
    bool m_open = false;
};
