#pragma once

#include "db/OdbcConnection.h"

// Hands out OdbcConnections, all with the same dialect factory.
class OdbcConnectionFactory : public ConnectionFactory
{
public:
    explicit OdbcConnectionFactory(DialectFactory dialectFactory = makeDialect)
        : m_dialectFactory(std::move(dialectFactory))
    {
    }
    std::unique_ptr<Connection> create() override;

private:
    DialectFactory m_dialectFactory;
};
