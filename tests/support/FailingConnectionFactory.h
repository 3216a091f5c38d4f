#pragma once

#include "tests/support/FailingConnection.h"

// Wraps every connection of an inner factory in a FailingConnection; all share one injector.
class FailingConnectionFactory : public ConnectionFactory
{
public:
    explicit FailingConnectionFactory(
        std::unique_ptr<ConnectionFactory> inner,
        std::shared_ptr<FaultInjector> faults = std::make_shared<FaultInjector>())
        : m_inner(std::move(inner)), m_faults(std::move(faults))
    {
    }

    const std::shared_ptr<FaultInjector>& faults() const { return m_faults; }

    std::unique_ptr<Connection> create() override
    {
        return std::make_unique<FailingConnection>(m_inner->create(), m_faults);
    }

private:
    std::unique_ptr<ConnectionFactory> m_inner;
    std::shared_ptr<FaultInjector> m_faults;
};
