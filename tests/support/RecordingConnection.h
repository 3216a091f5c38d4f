#pragma once

#include "db/Connection.h"
#include "tests/support/StatementLog.h"

#include <memory>

// A Connection that writes every text given to execute() or openRecordset() into a log
// before passing it on, whether or not the inner connection then fails.
class RecordingConnection : public Connection
{
public:
    explicit RecordingConnection(
        std::unique_ptr<Connection> inner,
        std::shared_ptr<StatementLog> log = std::make_shared<StatementLog>());

    const std::shared_ptr<StatementLog>& log() const { return m_log; }
    Connection& inner() const { return *m_inner; }

    void setConnectionString(const QString& text) override { m_inner->setConnectionString(text); }
    QString connectionString() const override { return m_inner->connectionString(); }
    void open(const QString& user = QString(), const QString& password = QString()) override
    {
        m_inner->open(user, password);
    }
    void close() override { m_inner->close(); }
    int state() const override { return m_inner->state(); }
    std::optional<DbError> lastError() const override { return m_inner->lastError(); }
    QString dbmsName() const override { return m_inner->dbmsName(); }
    void beginTransaction() override { m_inner->beginTransaction(); }
    void commitTransaction() override { m_inner->commitTransaction(); }
    void rollbackTransaction() noexcept override { m_inner->rollbackTransaction(); }

    long execute(const QString& commandText) override;
    std::unique_ptr<Recordset> openRecordset(const QString& query,
                                             CursorType type = CursorType::ForwardOnly) override;

private:
    void record(RecordedStatement::Kind kind, const QString& text);

    std::unique_ptr<Connection> m_inner;
    std::shared_ptr<StatementLog> m_log;
};
