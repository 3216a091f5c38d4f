#include "db/DataSources.h"
#include "tests/support/OdbcTestConfig.h"
#include "tests/support/TestMain.h"

#include <QDir>
#include <QTest>
#include <odbcinst.h>

using Keys = OdbcTestConfig::Keys;

class TestDataSources : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void listsUserAndSystemDataSources();
    void readsAKeyFromOneScope_data();
    void readsAKeyFromOneScope();
    void readsAKeyWhereTheDriverManagerLooks_data();
    void readsAKeyWhereTheDriverManagerLooks();
    void putsTheConfigurationModeBack();
};

void TestDataSources::initTestCase()
{
    const QString system = OdbcTestConfig::systemDirectory();
    QVERIFY2(!system.isEmpty(), "ODBCSYSINI is not set; run the test through ctest");
    const QString driver = OdbcTestConfig::sqliteDriverPath();
    QVERIFY2(!driver.isEmpty(), "the SQLite ODBC driver (libsqliteodbc) is not installed");

    // User data sources in a file of their own, so the two scopes differ.
    const QString userFile = system + QStringLiteral("/user/odbc.ini");
    QDir().mkpath(system + QStringLiteral("/user"));
    qputenv("ODBCINI", QFile::encodeName(userFile));

    OdbcTestConfig systemConfig;
    systemConfig.addDriver(QStringLiteral("Varrow SQL Anywhere stand-in"), driver);
    systemConfig.addDriver(QStringLiteral("Plain SQLite"), driver);
    systemConfig.addDataSource(
        QStringLiteral("VarrowMaster"), QStringLiteral("Varrow SQL Anywhere stand-in"),
        Keys{{QStringLiteral("DatabaseName"), QStringLiteral("SystemMaster")},
             {QStringLiteral("MachineName"), QStringLiteral("lab-server")},
             {QStringLiteral("Start"), QString()}});
    systemConfig.addDataSource(
        QStringLiteral("Archive"), QStringLiteral("Plain SQLite"),
        Keys{{QStringLiteral("DatabaseName"), QStringLiteral("Archive Db")}});
    QString error;
    QVERIFY2(systemConfig.write(&error), qPrintable(error));

    OdbcTestConfig userConfig;
    userConfig.addDataSource(
        QStringLiteral("VarrowRemote"), QStringLiteral("Varrow SQL Anywhere stand-in"),
        Keys{{QStringLiteral("DatabaseName"), QStringLiteral("Field Remote")}});
    // The user's own definition of a name the machine also defines.
    userConfig.addDataSource(QStringLiteral("VarrowMaster"), QStringLiteral("Plain SQLite"),
                             Keys{{QStringLiteral("EngineName"), QStringLiteral("laptop")}});
    QVERIFY2(userConfig.writeDataSources(userFile, &error), qPrintable(error));
}

void TestDataSources::listsUserAndSystemDataSources()
{
    const QList<DataSources::Entry> entries = DataSources::list();
    QStringList listed;
    for (const DataSources::Entry& entry : entries)
        listed.append(entry.name + QStringLiteral(" / ") + entry.description);
    const QStringList expected = {
        QStringLiteral("VarrowRemote / Varrow SQL Anywhere stand-in"),
        QStringLiteral("VarrowMaster / Plain SQLite"),
        QStringLiteral("Archive / Plain SQLite"),
    };
    QCOMPARE(listed, expected);
}

void TestDataSources::readsAKeyFromOneScope_data()
{
    QTest::addColumn<DataSources::Scope>("scope");
    QTest::addColumn<QString>("dataSource");
    QTest::addColumn<QString>("key");
    QTest::addColumn<std::optional<QString>>("expected");

    const auto System = DataSources::Scope::System;
    const auto User = DataSources::Scope::User;
    using Text = std::optional<QString>;
    QTest::newRow("system key") << System << "VarrowMaster"
                                << "DatabaseName" << Text("SystemMaster");
    QTest::newRow("key in another case") << System << "VarrowMaster"
                                         << "MACHINENAME" << Text("lab-server");
    QTest::newRow("data source in another case") << System << "varrowmaster"
                                                 << "DatabaseName" << Text("SystemMaster");
    QTest::newRow("blank in value") << System << "Archive"
                                    << "DatabaseName" << Text("Archive Db");
    QTest::newRow("empty value is found") << System << "VarrowMaster"
                                          << "Start" << Text(QString());
    QTest::newRow("missing key") << System << "VarrowMaster"
                                 << "EngineName" << Text();
    QTest::newRow("user-only data source in system scope") << System << "VarrowRemote"
                                                           << "DatabaseName" << Text();
    QTest::newRow("user key") << User << "VarrowRemote"
                              << "DatabaseName" << Text("Field Remote");
    QTest::newRow("same name, user definition") << User << "VarrowMaster"
                                                << "EngineName" << Text("laptop");
    QTest::newRow("same name, key only in system") << User << "VarrowMaster"
                                                   << "DatabaseName" << Text();
    QTest::newRow("unknown data source") << User << "Nowhere"
                                         << "DatabaseName" << Text();
    QTest::newRow("empty data source name") << System << ""
                                            << "DatabaseName" << Text();
}

void TestDataSources::readsAKeyFromOneScope()
{
    QFETCH(DataSources::Scope, scope);
    QFETCH(QString, dataSource);
    QFETCH(QString, key);
    QFETCH(std::optional<QString>, expected);
    QCOMPARE(DataSources::value(scope, dataSource, key), expected);
}

void TestDataSources::readsAKeyWhereTheDriverManagerLooks_data()
{
    QTest::addColumn<QString>("dataSource");
    QTest::addColumn<QString>("key");
    QTest::addColumn<std::optional<QString>>("expected");
    using Text = std::optional<QString>;
    // The user's definition hides the machine's one completely.
    QTest::newRow("user definition wins") << "VarrowMaster"
                                          << "EngineName" << Text("laptop");
    QTest::newRow("no mixing of scopes") << "VarrowMaster"
                                         << "DatabaseName" << Text();
    QTest::newRow("system only") << "Archive"
                                 << "DatabaseName" << Text("Archive Db");
    QTest::newRow("user only") << "VarrowRemote"
                               << "DatabaseName" << Text("Field Remote");
}

void TestDataSources::readsAKeyWhereTheDriverManagerLooks()
{
    QFETCH(QString, dataSource);
    QFETCH(QString, key);
    QFETCH(std::optional<QString>, expected);
    QCOMPARE(DataSources::value(dataSource, key), expected);
}

void TestDataSources::putsTheConfigurationModeBack()
{
    for (UWORD mode : {UWORD(ODBC_SYSTEM_DSN), UWORD(ODBC_USER_DSN), UWORD(ODBC_BOTH_DSN)}) {
        QVERIFY(SQLSetConfigMode(mode));
        DataSources::value(DataSources::Scope::User, QStringLiteral("VarrowRemote"),
                           QStringLiteral("DatabaseName"));
        DataSources::value(DataSources::Scope::System, QStringLiteral("Archive"),
                           QStringLiteral("DatabaseName"));
        UWORD after = 99;
        QVERIFY(SQLGetConfigMode(&after));
        QCOMPARE(after, mode);
    }
}

VARROW_TEST_GUILESS_MAIN(TestDataSources)
#include "tst_datasources.moc"
