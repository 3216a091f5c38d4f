#pragma once

#include <QString>
#include <stdexcept>

// A failure while building a schema or a demo workspace: a SQLite error, a file that cannot be
// written, an option that makes no sense. The message is meant for the person at the console.
class SchemaError : public std::runtime_error
{
public:
    explicit SchemaError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }

    const QString& message() const { return m_message; }

private:
    QString m_message;
};
