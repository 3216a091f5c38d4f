#pragma once

#include "db/Connection.h"

#include <QString>
#include <memory>

// A command bound to a connection: its text is kept after a failure so the caller can put
// the statement in progress into its error report.
class Command
{
public:
    void setActiveConnection(Connection* connection) { m_connection = connection; }
    Connection* activeConnection() const { return m_connection; }
    void setCommandText(const QString& text) { m_text = text; }
    const QString& commandText() const { return m_text; }

    // The rows changed (see Connection::execute). Throws DbError; without an open connection
    // the description says "not connected".
    long execute();
    std::unique_ptr<Recordset> open(CursorType type = CursorType::ForwardOnly);

private:
    Connection* m_connection = nullptr;
    QString m_text;
};
