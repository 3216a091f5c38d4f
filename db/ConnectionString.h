#pragma once

#include <QList>
#include <QPair>
#include <QString>

// An ODBC connection string as an ordered list of attributes. Keys compare without regard to
// case; values that would change the meaning of the string are wrapped in braces.
class ConnectionString
{
public:
    // Reads "KEY=value;KEY={va;lue}" (a doubled '}' inside braces is one '}'). Empty
    // attributes are skipped; a part without '=' becomes a key with an empty value.
    static ConnectionString parse(const QString& text);

    bool contains(const QString& key) const;
    QString value(const QString& key) const;                 // empty when absent
    void setValue(const QString& key, const QString& value); // replaces the first, else appends
    void remove(const QString& key);                         // every attribute of that key
    QList<QPair<QString, QString>> attributes() const { return m_attributes; }

    QString toString() const;

    // The value as it may stand in a connection string: unchanged when ordinary, else in
    // braces with '}' doubled (a ';' would otherwise start a new attribute).
    static QString quoteValue(const QString& value);

private:
    qsizetype indexOf(const QString& key) const;

    QList<QPair<QString, QString>> m_attributes;
};

// "DSN=<dataSource>;UID=<user>;PWD=<password>", each value quoted only where it must be.
QString connectionString(const QString& dataSource, const QString& user, const QString& password);
