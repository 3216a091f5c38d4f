#pragma once

#include "db/OdbcConnection.h"
#include "tests/support/OdbcTestConfig.h"

#include <QTemporaryDir>

// A SQLite database file in a temporary folder, registered as an ODBC data source for this
// test process (driver "Varrow Test SQLite"). Construct it before the first ODBC call.
class SqliteTestDataSource
{
public:
    static constexpr const char* driverName = "Varrow Test SQLite";

    explicit SqliteTestDataSource(const QString& dataSource = QStringLiteral("VarrowTest"),
                                  const OdbcTestConfig::Keys& extraKeys = {});

    // False (with error()) when the driver is missing or the files could not be written.
    bool isValid() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }

    QString dataSource() const { return m_dataSource; }
    QString databaseFile() const { return m_folder.filePath(QStringLiteral("test.db")); }
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
