#pragma once

#include "tests/support/RecordingConnection.h"

// Wraps every connection of an inner factory in a RecordingConnection; all share one log.
class RecordingConnectionFactory : public ConnectionFactory
{
public:
    explicit RecordingConnectionFactory(
        std::unique_ptr<ConnectionFactory> inner,
        std::shared_ptr<StatementLog> log = std::make_shared<StatementLog>())
        : m_inner(std::move(inner)), m_log(std::move(log))
    {
    }

    const std::shared_ptr<StatementLog>& log() const { return m_log; }

    std::unique_ptr<Connection> create() override
    {
        return std::make_unique<RecordingConnection>(m_inner->create(), m_log);
    }

private:
    std::unique_ptr<ConnectionFactory> m_inner;
    std::shared_ptr<StatementLog> m_log;
};
