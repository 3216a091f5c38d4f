#pragma once

#include "db/OdbcConnection.h"
#include "tests/support/OdbcTestConfig.h"

#include <QTemporaryDir>

// SQLite database files in a temporary folder, registered as ODBC data sources for this test
// process (driver "Varrow Test SQLite"), one file per data source. Construct it and add the
// further data sources before the first ODBC call.
class SqliteTestDataSource
{
public:
    static constexpr const char* driverName = "Varrow Test SQLite";

    explicit SqliteTestDataSource(const QString& dataSource = QStringLiteral("VarrowTest"),
                                  const OdbcTestConfig::Keys& extraKeys = {});

    // False (with error()) when the driver is missing or the files could not be written.
    bool isValid() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }

    // Another data source on a file of its own; false when the files could not be written.
    bool addDataSource(const QString& dataSource, const OdbcTestConfig::Keys& extraKeys = {});

    QString dataSource() const { return m_dataSource; }
    QString databaseFile() const { return databaseFile(m_dataSource); }
    QString databaseFile(const QString& dataSource) const
    {
        return m_folder.filePath(dataSource + QStringLiteral(".db"));
    }
    QString folder() const { return m_folder.path(); }
    const OdbcTestConfig& config() const { return m_config; }

    // A connection that sends texts untouched (no dialect), opened on this data source.
    std::unique_ptr<OdbcConnection> open(const DialectFactory& dialects = noDialect()) const;
    static DialectFactory noDialect();

private:
    QString m_dataSource;
    QTemporaryDir m_folder;
    OdbcTestConfig m_config;
    QString m_error;
};
