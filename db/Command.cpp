#include "db/Command.h"

#include "db/DbErrors.h"

namespace {

Connection& openConnection(Connection* connection)
{
    if (!connection || connection->state() != 1)
        throw DbErrors::notConnected();
    return *connection;
}

} // namespace

long Command::execute()
{
    return openConnection(m_connection).execute(m_text);
}

std::unique_ptr<Recordset> Command::open(CursorType type)
{
    return openConnection(m_connection).openRecordset(m_text, type);
}
