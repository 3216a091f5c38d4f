#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The ODBC data sources the driver manager knows and the keys of their configuration.
class DataSources
{
public:
    struct Entry
    {
        QString name;
        QString description; // the driver's description, as SQLDataSources gives it
    };

    enum class Scope
    {
        User,   // the user's own data sources
        System, // the machine's data sources
    };

    // User and system data sources in the driver manager's order. Throws DbError.
    static QList<Entry> list();

    // One key of a data source's configuration in one scope, or nothing when that scope does
    // not define the data source or the key. Keys compare without regard to case.
    static std::optional<QString> value(Scope scope, const QString& dataSource, const QString& key);
    // The key from the configuration the driver manager connects with: the user data source
    // when there is one by that name, else the system one.
    static std::optional<QString> value(const QString& dataSource, const QString& key);

    // The keys a scope defines for a data source (empty when it does not define it).
    static QStringList keys(Scope scope, const QString& dataSource);
};
