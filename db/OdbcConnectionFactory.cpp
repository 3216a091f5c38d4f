#include "db/OdbcConnectionFactory.h"

std::unique_ptr<Connection> OdbcConnectionFactory::create()
{
    return std::make_unique<OdbcConnection>(m_dialectFactory);
}
