#pragma once

#include "db/Connection.h"
#include "tests/support/FaultInjector.h"

#include <memory>

// A Connection that fails where its FaultInjector says and passes everything else on.
// An injected statement failure never reaches the inner connection.
class FailingConnection : public Connection
{
public:
    explicit FailingConnection(
        std::unique_ptr<Connection> inner,
        std::shared_ptr<FaultInjector> faults = std::make_shared<FaultInjector>());

    const std::shared_ptr<FaultInjector>& faults() const { return m_faults; }
    Connection& inner() const { return *m_inner; }

    void setConnectionString(const QString& text) override { m_inner->setConnectionString(text); }
    QString connectionString() const override { return m_inner->connectionString(); }
    void open(const QString& user = QString(), const QString& password = QString()) override;
    void close() override { m_inner->close(); }
    int state() const override { return m_inner->state(); }
    std::optional<DbError> lastError() const override;
    QString dbmsName() const override { return m_inner->dbmsName(); }
    void beginTransaction() override { m_inner->beginTransaction(); }
    // A fault for the text "commit transaction" fails the commit (and so the whole batch).
    void commitTransaction() override;
    void rollbackTransaction() noexcept override { m_inner->rollbackTransaction(); }

    long execute(const QString& commandText) override;
    std::unique_ptr<Recordset> openRecordset(const QString& query,
                                             CursorType type = CursorType::ForwardOnly) override;

private:
    QString dataSource() const;
    void injectFor(const QString& text);

    std::unique_ptr<Connection> m_inner;
    std::shared_ptr<FaultInjector> m_faults;
    std::optional<DbError> m_openError;
};
