#include "app/Program.h"
#include "base/LogFiles.h"
#include "base/ProgramExit.h"
#include "copy/Catalogue.h"
#include "schema/DemoNames.h"
#include "session/Sessions.h"
#include "tests/support/SessionFixture.h"
#include "tests/support/TestMain.h"

#include <QFile>
#include <QtTest>
#include <functional>

// The column catalogue and single values, on the two databases of a demo workspace.
class TestCatalogue : public QObject
{
    Q_OBJECT

    SessionFixture m_fixture;
    std::unique_ptr<TestProgram> m_t;

    Program& program() { return m_t->program(); }
    StatementLog& log() { return m_fixture.log(); }

    // The statements the domain look-up sent.
    int domainQueries() const
    {
        return static_cast<int>(m_fixture.log()
                                    .textsContaining(QStringLiteral(
                                        "select domain_name from sys.sysdomain where domain_id="))
                                    .size());
    }

    QString lastErrorRecord()
    {
        QFile file(logFilePath(program().state, QStringLiteral("errors.log")));
        if (!file.open(QIODevice::ReadOnly))
            return QString();
        const QString all = QString::fromUtf8(file.readAll());
        return all.mid(all.lastIndexOf(QLatin1String("**** VARROW ****")));
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_t = m_fixture.ownerSession();
        QVERIFY2(m_t, qPrintable(m_fixture.error()));
    }

    void init()
    {
        log().clear();
        program().tableCopy.fieldTypes = FieldTypeCache();
    }

    void selectListFollowsTheRemoteCatalogue()
    {
        const QString list = CreateSelectList(program(), QStringLiteral("inventory"));
        QCOMPARE(list, QStringLiteral("mtag,i4201,i4202,i4203,i4204,i4205,ktag,i4206,i4207,i4208,"
                                      "i4209,i4210,i4211,i4212,i4213,i4214,i4215,i4216,i4217,"
                                      "cast(i4218 AS char(32767)),i4219,i4220,idsrc"));
        QCOMPARE(
            log().texts(DemoNames::remote.dsn),
            QStringList{QStringLiteral(
                "select column_name,cast(\"default\" as char),nulls,(select domain_name from "
                "sys.sysdomain where sys.sysdomain.domain_id = sys.syscolumn.domain_id),width,"
                "scale from sys.syscolumn where table_id = (select table_id from sys.systable "
                "where table_name = 'inventory' and table_type = 'base') order by column_id asc")});
        QVERIFY(log().texts(DemoNames::master.dsn).isEmpty());
        QCOMPARE(CreateSelectList(program(), QStringLiteral("no_such_table")), QString());
    }

    void columnFormatted()
    {
        QCOMPARE(ColumnFormatted(program(), QStringLiteral("i4218"), QStringLiteral("inventory")),
                 QStringLiteral("cast(i4218 AS char(32767))"));
        QCOMPARE(ColumnFormatted(program(), QStringLiteral("I4201"), QStringLiteral("inventory")),
                 QStringLiteral("i4201"));
        QCOMPARE(
            log().texts(DemoNames::remote.dsn).first(),
            QStringLiteral("select column_name,cast(\"default\" as char),nulls,(select domain_name "
                           "from sys.sysdomain where sys.sysdomain.domain_id = "
                           "sys.syscolumn.domain_id),width,scale from sys.syscolumn where "
                           "table_id=(select table_id from sys.systable where table_name = "
                           "'inventory' and table_type = 'base') and column_name='i4218'"));
    }

    void fieldTypes_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("binary");
        QTest::addColumn<int>("queries");
        QTest::newRow("char") << "mtag"
                              << "inventory" << 0 << false << 1;
        QTest::newRow("varchar") << "i4202"
                                 << "inventory" << 0 << false << 1;
        QTest::newRow("date") << "i4209"
                              << "inventory" << 1 << false << 1;
        QTest::newRow("numeric") << "i4211"
                                 << "inventory" << 2 << false << 1;
        QTest::newRow("float") << "i4214"
                               << "inventory" << 2 << false << 1;
        QTest::newRow("tinyint") << "i4207"
                                 << "inventory" << 2 << false << 1;
        QTest::newRow("binary") << "i4219"
                                << "inventory" << 2 << true << 1;
        QTest::newRow("long binary") << "w2705"
                                     << "results_raw" << 2 << true << 1;
        QTest::newRow("time") << "i4216"
                              << "inventory" << 3 << false << 1;
        QTest::newRow("long varchar") << "i4218"
                                      << "inventory" << 4 << false << 1;
        QTest::newRow("timestamp") << "i4217"
                                   << "inventory" << 5 << false << 1;
        QTest::newRow("a copy's model table") << "i4209"
                                              << "temp_inventory" << 1 << false << 1;
        QTest::newRow("prefix in capitals") << "i4209"
                                            << "TEMP_Inventory" << 1 << false << 1;
        QTest::newRow("owner-qualified name finds no table") << "fldnum"
                                                             << "mt.valfield" << 0 << false << 1;
        QTest::newRow("unknown column") << "nothing"
                                        << "inventory" << 0 << false << 1;
        QTest::newRow("verbatim column, never asked") << "C2333"
                                                      << "calibration" << 3 << false << 0;
        QTest::newRow("the same in lower case is asked") << "c2333"
                                                         << "calibration" << 3 << false << 1;
    }
    void fieldTypes()
    {
        QFETCH(QString, column);
        QFETCH(QString, table);
        QFETCH(int, code);
        QFETCH(bool, binary);
        QFETCH(int, queries);
        QCOMPARE(FieldType(program(), column, table), code);
        QCOMPARE(fieldFormat(program(), column, table), (FieldFormat{code, binary}));
        // The second look-up comes from the cache.
        QCOMPARE(domainQueries(), queries);
        QVERIFY(program().ui.isBusy());
    }

    void domainQueryText()
    {
        FieldType(program(), QStringLiteral("i4209"), QStringLiteral("temp_inventory"));
        QCOMPARE(log().texts(DemoNames::remote.dsn),
                 QStringList{QStringLiteral(
                     "select domain_name from sys.sysdomain where domain_id=(select "
                     "max(domain_id) from sys.syscolumn where column_name='i4209' and "
                     "table_id in (select table_id from sys.systable where "
                     "table_name='inventory'))")});
    }

    // Keyed by column name alone: whichever table asked first decides for every table.
    void cacheIgnoresTheTable()
    {
        QCOMPARE(FieldType(program(), QStringLiteral("fldnum"), QStringLiteral("mt.valfield")), 0);
        QCOMPARE(FieldType(program(), QStringLiteral("FLDNUM"), QStringLiteral("valfield")), 0);
        QCOMPARE(domainQueries(), 1);
        program().tableCopy.fieldTypes = FieldTypeCache();
        QCOMPARE(FieldType(program(), QStringLiteral("fldnum"), QStringLiteral("valfield")), 2);
        QCOMPARE(FieldType(program(), QStringLiteral("fldnum"), QStringLiteral("mt.valfield")), 2);
        QCOMPARE(domainQueries(), 2);
        FieldType(program(), QStringLiteral("C2334"), QStringLiteral("calibration"));
        QCOMPARE(program().tableCopy.fieldTypes.size(), 1);
    }

    void fullCacheAsksEveryTime()
    {
        FieldTypeCache& cache = program().tableCopy.fieldTypes;
        for (int i = 0; i < FieldTypeCache::Capacity; ++i)
            cache.store(QStringLiteral("filler%1").arg(i), {});
        QCOMPARE(FieldType(program(), QStringLiteral("i4209"), QStringLiteral("inventory")), 1);
        QCOMPARE(FieldType(program(), QStringLiteral("i4209"), QStringLiteral("inventory")), 1);
        QCOMPARE(domainQueries(), 2);
    }

    void columnValues_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("literal");
        QTest::newRow("apostrophe") << "i4202"
                                    << "'O''Brien''s bench meter'";
        QTest::newRow("number under a comma locale") << "i4211"
                                                     << "'1234.5'";
        QTest::newRow("negative") << "i4213"
                                  << "'-0.0025'";
        QTest::newRow("date") << "i4209"
                              << "'2011-06-14'";
        QTest::newRow("timestamp") << "i4217"
                                   << "'2011-06-14 09:30:05.250'";
        QTest::newRow("time") << "i4216"
                              << "'00:45:00'";
        QTest::newRow("binary") << "i4219"
                                << "0x0A0BFF";
        QTest::newRow("null") << "i4220"
                              << "NULL";
        QTest::newRow("long text") << "cast(i4218 AS char(32767))"
                                   << "'Kalibrierschein für Größe µ'";
    }
    void columnValues()
    {
        QFETCH(QString, column);
        const QString key =
            m_fixture.remoteValue(program(), QStringLiteral("select min(mtag) from mt.inventory"));
        userConnection(program(), Side::Remote)
            .execute(QStringLiteral("update mt.inventory set i4202='O''Brien''s bench meter',"
                                    "i4211=1234.5,i4213=-0.0025,i4209='2011-06-14',"
                                    "i4217='2011-06-14 09:30:05.250',i4216='00:45:00',"
                                    "i4219=0x0A0BFF,i4220=NULL,"
                                    "i4218='Kalibrierschein für Größe µ' where mtag='%1';commit")
                         .arg(key));
        // Numbers come from the engine with its own decimal point, whatever the user's locale.
        program().state.decimalSeparator = QStringLiteral(",");
        program().state.thousandsSeparator = QStringLiteral(".");
        QTEST(ColumnValue(
                  program(),
                  QStringLiteral("select %1 from mt.inventory where mtag='%2'").arg(column, key),
                  QStringLiteral("inventory")),
              "literal");
    }

    void aMissingRowIsADeletedRecord()
    {
        QCOMPARE(ColumnValue(program(),
                             QStringLiteral("select i4220 from mt.inventory where mtag='NO-SUCH'"),
                             QStringLiteral("inventory")),
                 QStringLiteral("$DELETED RECORD$"));
    }

    void tableExistsAsksTheNamedDatabase()
    {
        QVERIFY(!TableExists(program(), QStringLiteral("X"), QStringLiteral("inventory")));
        QVERIFY(log().entries().isEmpty());
        QVERIFY(TableExists(program(), QStringLiteral("M"), QStringLiteral("inventory")));
        QVERIFY(!TableExists(program(), QStringLiteral("R"), QStringLiteral("no_such_table")));
        QCOMPARE(log().texts(DemoNames::master.dsn).size(), 1);
        QCOMPARE(log().texts(DemoNames::remote.dsn).size(), 1);
    }

    // After a lost connection each look-up reports it under its own name and gives its empty
    // result; the user is offered the connect dialog.
    void lostConnectionGivesTheEmptyResult()
    {
        struct Case
        {
            const char* procedure;
            std::function<QString()> call;
            QString empty;
        };
        const QString inventory = QStringLiteral("inventory");
        const QList<Case> cases = {
            {"VRW1,CreateSelectList", [&] { return CreateSelectList(program(), inventory); },
             QString()},
            {"VRW1,ColumnFormatted",
             [&] { return ColumnFormatted(program(), QStringLiteral("i4218"), inventory); },
             QString()},
            {"VRW1,FieldType",
             [&] {
                 return QString::number(FieldType(program(), QStringLiteral("i4218"), inventory));
             },
             QStringLiteral("0")},
            {"VRW1,ColumnValue",
             [&] {
                 return ColumnValue(program(), QStringLiteral("select i4201 from mt.inventory"),
                                    inventory);
             },
             QString()},
            {"VRW1,TableExists",
             [&] {
                 return QString::number(TableExists(program(), QStringLiteral("R"), inventory));
             },
             QStringLiteral("0")},
        };
        for (const Case& c : cases) {
            m_fixture.faults()
                .failWhen([](const QString&) { return true; }, FaultInjector::lostConnection())
                .times = 1;
            program().state.errorOccurred = false;
            QCOMPARE(c.call(), c.empty);
            QVERIFY2(program().state.errorOccurred, c.procedure);
            QVERIFY2(lastErrorRecord().contains(QLatin1String(c.procedure)), c.procedure);
        }
        QVERIFY(m_t->ui.shown.contains(Window::Connect));
        m_fixture.faults().clear();
    }

    void anyOtherFailureEndsTheProgram()
    {
        const QString bad = QStringLiteral("select nothing from mt.nowhere");
        int status = -1;
        try {
            ColumnValue(program(), bad, QStringLiteral("inventory"));
        } catch (const ProgramExit& exit) {
            status = exit.code();
        }
        QCOMPARE(status, 1);
        const QString record = lastErrorRecord();
        QVERIFY(record.contains(QLatin1String("VRW1,ColumnValue")));
        QVERIFY(record.contains(bad));
    }
};

VARROW_TEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
