#pragma once

#include <QString>
#include <exception>
#include <string>

// A failure reported by the data-access layer or the engine behind it: the engine's native
// error number, its description and the ODBC SQLSTATE. Descriptions of a lost connection
// contain "not connected", which the error reporter treats as survivable.
class DbError : public std::exception
{
public:
    DbError(long number, QString description, QString sqlstate = QString())
        : m_number(number), m_description(std::move(description)), m_sqlstate(std::move(sqlstate)),
          m_what(m_description.toStdString())
    {
    }

    long number() const { return m_number; }
    const QString& description() const { return m_description; }
    const QString& sqlstate() const { return m_sqlstate; }
    const char* what() const noexcept override { return m_what.c_str(); }

private:
    long m_number;
    QString m_description;
    QString m_sqlstate;
    std::string m_what;
};
