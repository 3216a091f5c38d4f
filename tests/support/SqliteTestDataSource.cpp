#include "tests/support/SqliteTestDataSource.h"

#include "db/ConnectionString.h"

SqliteTestDataSource::SqliteTestDataSource(const QString& dataSource,
                                           const OdbcTestConfig::Keys& extraKeys)
    : m_dataSource(dataSource)
{
    const QString driver = OdbcTestConfig::sqliteDriverPath();
    if (!m_folder.isValid())
        m_error = QStringLiteral("cannot make a temporary folder");
    else if (driver.isEmpty())
        m_error = QStringLiteral("the SQLite ODBC driver (libsqliteodbc) is not installed");
    if (!m_error.isEmpty())
        return;
    m_config.addDriver(QLatin1String(driverName), driver);
    addDataSource(dataSource, extraKeys);
}

bool SqliteTestDataSource::addDataSource(const QString& dataSource,
                                         const OdbcTestConfig::Keys& extraKeys)
{
    m_config.addSqliteDataSource(dataSource, QLatin1String(driverName), databaseFile(dataSource),
                                 extraKeys);
    return m_config.write(&m_error);
}

DialectFactory SqliteTestDataSource::noDialect()
{
    return [](const QString&) { return std::unique_ptr<Dialect>(); };
}

std::unique_ptr<OdbcConnection> SqliteTestDataSource::open(const DialectFactory& dialects) const
{
    auto connection = std::make_unique<OdbcConnection>(dialects);
    connection->setConnectionString(connectionString(m_dataSource, QString(), QString()));
    connection->open();
    return connection;
}
