#include "app/Program.h"
#include "app/StartupFunctions.h"
#include "base/LogFiles.h"
#include "copy/Catalogue.h"
#include "copy/RowCopy.h"
#include "copy/TempTables.h"
#include "schema/CalibrationSchema.h"
#include "schema/DemoCatalogue.h"
#include "schema/DemoNames.h"
#include "schema/SqliteDatabase.h"
#include "session/Sessions.h"
#include "tests/support/SessionFixture.h"
#include "tests/support/TestMain.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <QtTest>

// Temporary tables and the row copy between the two databases of a demo workspace.
class TestRowCopy : public QObject
{
    Q_OBJECT

    SessionFixture m_fixture;
    std::unique_ptr<TestProgram> m_t;

    Program& program() { return m_t->program(); }
    StatementLog& log() { return m_fixture.log(); }
    CopyState& copy() { return program().tableCopy; }

    QString syncErrorLog()
    {
        QFile file(logFilePath(program().state, QStringLiteral("syncerr.log")));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    QString errorLog()
    {
        QFile file(logFilePath(program().state, QStringLiteral("errors.log")));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    // The lines written to syncerr.log since `before`, without their time stamps.
    QStringList newSyncErrorLines(const QString& before)
    {
        QStringList lines =
            syncErrorLog().mid(before.size()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        for (QString& line : lines)
            line = line.mid(line.indexOf(QLatin1String("] ")) + 2);
        return lines;
    }

    QStringList schemaTables() const
    {
        QStringList names;
        for (const TableDefinition& t : CalibrationSchema::tables())
            names.append(t.name);
        return names;
    }

    // Every value of a table as one text per row: storage class and SQL literal of each
    // column, in row order; real numbers to 17 significant digits.
    static QStringList rowsOf(SqliteDatabase& db, const QString& table, const QStringList& columns)
    {
        QStringList parts;
        for (const QString& c : columns)
            parts.append(QStringLiteral("typeof(%1)||':'||(case typeof(%1) when 'real' then "
                                        "printf('%!.17g',%1) else quote(%1) end)")
                             .arg(c));
        QStringList rows;
        for (const QVariantList& row :
             db.rows(QStringLiteral("select %1 from %2 order by rowid")
                         .arg(parts.join(QStringLiteral("||'|'||")), table)))
            rows.append(row.value(0).toString());
        return rows;
    }

private Q_SLOTS:
    void initTestCase()
    {
        qunsetenv("VARROW_OWNER_PASSWORD");
        m_t = m_fixture.ownerSession();
        QVERIFY2(m_t, qPrintable(m_fixture.error()));
    }

    void init()
    {
        log().clear();
        program().state.switchDebugging = false;
        program().state.runningCounter = false;
        copy().traceText.clear();
    }

    // Every domain of the schema gets a type, so every table can be declared either way.
    void temporaryTablesOfEveryTable()
    {
        for (const TableDefinition& table : CalibrationSchema::tables()) {
            QCOMPARE(CreateTempTable(program(), table.name, QStringLiteral("r")),
                     QStringLiteral("temp_") + table.name);
            QCOMPARE(CreateTempTable(program(), table.name, QStringLiteral("M")),
                     QStringLiteral("temp_") + table.name);
            for (Side side : {Side::Master, Side::Remote}) {
                auto rs = userConnection(program(), side)
                              .openRecordset(QStringLiteral("select * from temp_") + table.name);
                QVERIFY(rs->eof());
                QCOMPARE(rs->fieldCount(), table.columns.size());
            }
        }
        const QString inventory =
            log().textsContaining(QStringLiteral("temporary table temp_inventory")).first();
        QCOMPARE(inventory,
                 QStringLiteral(
                     "declare local temporary table temp_inventory (mtag CHAR(20) NOT NULL,"
                     "i4201 CHAR(30) NOT NULL,i4202 VARCHAR(80),i4203 CHAR(30),i4204 CHAR(30),"
                     "i4205 CHAR(30),ktag CHAR(40),i4206 CHAR(1) DEFAULT 'A' NOT NULL,"
                     "i4207 TINYINT DEFAULT 0 NOT NULL,i4208 SMALLINT DEFAULT 12 NOT NULL,"
                     "i4209 DATE,i4210 DATE,i4211 NUMERIC(10,2),i4212 NUMERIC(12,3),"
                     "i4213 DOUBLE,i4214 FLOAT,i4215 INT DEFAULT 0 NOT NULL,i4216 TIME,"
                     "i4217 TIMESTAMP,i4218 LONG VARCHAR,i4219 BINARY(8),i4220 LONG BINARY,"
                     "idsrc CHAR(3)) on commit preserve rows"));
        QVERIFY(copy().masterTempTables.startsWith(
            QLatin1String(" 'temp_customers' 'temp_inventory' ")));
        QCOMPARE(copy().masterTempTables, copy().remoteTempTables);

        // A second declaration in the same run only gives the name back.
        log().clear();
        QCOMPARE(CreateTempTable(program(), QStringLiteral("inventory"), QStringLiteral("R")),
                 QStringLiteral("temp_inventory"));
        QCOMPARE(CreateTempTable(program(), QStringLiteral("Inventory"), QStringLiteral("R")),
                 QStringLiteral("temp_Inventory"));
        QVERIFY(log().entries().isEmpty());

        DropTempTables(program());
        const QStringList drops = log().texts(DemoNames::master.dsn);
        QCOMPARE(drops.size(), CalibrationSchema::tables().size());
        QCOMPARE(drops.first(), QStringLiteral("drop table temp_customers"));
        QCOMPARE(log().texts(DemoNames::remote.dsn), drops);
        QVERIFY(copy().masterTempTables.isEmpty());
        QVERIFY(copy().remoteTempTables.isEmpty());
        QVERIFY(!program().ui.isBusy());
        QVERIFY(testsupport::thrownBy([&] {
            userConnection(program(), Side::Master)
                .openRecordset(QStringLiteral("select * from temp_inventory"));
        }));
    }

    void dropWithEmptyListsSendsNothing()
    {
        program().ui.setBusy(true);
        DropTempTables(program());
        QVERIFY(log().entries().isEmpty());
        QVERIFY(!program().ui.isBusy());
    }

    void dropIgnoresTablesThatAreGone()
    {
        copy().masterTempTables = QStringLiteral(" 'temp_gone'");
        copy().remoteTempTables = QStringLiteral(" 'temp_vanished' ");
        DropTempTables(program());
        QCOMPARE(log().texts(), (QStringList{QStringLiteral("drop table temp_gone"),
                                             QStringLiteral("drop table temp_vanished")}));
        QVERIFY(copy().masterTempTables.isEmpty() && copy().remoteTempTables.isEmpty());
    }

    // Every table of the remote, copied row by row into a temporary table of the master,
    // holds the same values afterwards (checked on the files, beside the program's path).
    void copyReproducesEveryTable()
    {
        const QString before = syncErrorLog();
        for (const QString& table : schemaTables()) {
            const QString temp = CreateTempTable(program(), table, QStringLiteral("R"));
            const QString select = QStringLiteral("select ") + CreateSelectList(program(), table) +
                                   QStringLiteral(" from mt.") + table;
            const long copied = CopyToDestTable(program(), select, temp, QStringLiteral("R"));
            QCOMPARE(QString::number(copied),
                     m_fixture.remoteValue(program(),
                                           QStringLiteral("select count(*) from mt.") + table));
            // Kept in the file, so the copy can be compared outside the program's connection.
            userConnection(program(), Side::Master)
                .execute(
                    QStringLiteral("create table verify_%1 as select * from %2").arg(table, temp));
        }
        QCOMPARE(syncErrorLog(), before);
        QVERIFY(!copy().syncError);

        auto master = m_fixture.workspace.openMaster();
        auto remote = m_fixture.workspace.openRemote();
        for (const TableDefinition& table : CalibrationSchema::tables()) {
            const QStringList original = rowsOf(*remote, table.name, table.columnNames());
            const QStringList copied =
                rowsOf(*master, QStringLiteral("verify_") + table.name, table.columnNames());
            QCOMPARE(copied.size(), original.size());
            for (qsizetype i = 0; i < original.size(); ++i)
                QCOMPARE(copied[i], original[i]);
        }
        QVERIFY(!rowsOf(*remote, QStringLiteral("results_raw"), {QStringLiteral("w2705")})
                     .filter(QStringLiteral("blob:X'"))
                     .isEmpty());
        DropTempTables(program());
    }

    // A copied row holds what its source holds: text bytes that are not UTF-8, reals to the
    // last bit, binary values (written in the engine's literal on the way).
    void copyCarriesValuesExactly()
    {
        const QString mtag =
            m_fixture.remoteValue(program(), QStringLiteral("select min(mtag) from mt.inventory"));
        m_fixture.workspace.openRemote()->exec(
            QStringLiteral("update inventory set i4202=cast(X'41E9FF42' as text), "
                           "i4218=cast(X'C3A9E9' || hex(zeroblob(5000)) || X'FF' as text), "
                           "i4213=0.1+0.2, i4214=1/3.0, i4212=54.301032159155604, "
                           "i4219=X'00FF10DB98D61E0F' where mtag='%1'")
                .arg(mtag));
        const QString temp =
            CreateTempTable(program(), QStringLiteral("inventory"), QStringLiteral("R"));
        const QString select = QStringLiteral("select ") +
                               CreateSelectList(program(), QStringLiteral("inventory")) +
                               QStringLiteral(" from mt.inventory where mtag='%1'").arg(mtag);
        QCOMPARE(CopyToDestTable(program(), select, temp, QStringLiteral("R")), 1L);
        userConnection(program(), Side::Master)
            .execute(QStringLiteral("create table exact_inventory as select * from ") + temp);
        DropTempTables(program());

        auto master = m_fixture.workspace.openMaster();
        auto remote = m_fixture.workspace.openRemote();
        for (const char* column : {"i4202", "i4218", "i4213", "i4214", "i4212", "i4219"}) {
            const QString original =
                TestWorkspace::stored(*remote, QLatin1String(column),
                                      QStringLiteral("inventory where mtag='%1'").arg(mtag));
            QCOMPARE(TestWorkspace::stored(*master, QLatin1String(column),
                                           QStringLiteral("exact_inventory")),
                     original);
        }
        QCOMPARE(log().textsContaining(QStringLiteral(",0x00FF10DB98D61E0F,")).size(), 1);
    }

    // The copy goes on past a row the destination refuses; only inserted rows count.
    void duplicateKeyIsLoggedAndSkipped()
    {
        copy().syncError = false;
        const QString existing =
            m_fixture.masterValue(program(), QStringLiteral("select min(ktag) from mt.customers"));
        const QString select =
            QStringLiteral("select 'TEST-A' as ktag,'TA-1' as k4601,'First new' as k4602 union all "
                           "select ktag,k4601,k4602 from mt.customers where ktag='%1' union all "
                           "select 'TEST-B','TB-1','Second new'")
                .arg(existing);
        const QString before = syncErrorLog();
        QCOMPARE(
            CopyToDestTable(program(), select, QStringLiteral("mt.customers"), QStringLiteral("F")),
            2L);
        QVERIFY(copy().syncError);
        const QStringList block = newSyncErrorLines(before);
        QCOMPARE(block.size(), 4);
        QCOMPARE(block[0], QStringLiteral("**********"));
        QVERIFY2(block[1].contains(QLatin1String("UNIQUE"), Qt::CaseInsensitive),
                 qPrintable(block[1]));
        QCOMPARE(
            block[2],
            select + QStringLiteral(";insert into mt.customers (ktag,k4601,k4602) values ('") +
                existing + QStringLiteral("','") +
                m_fixture.masterValue(
                    program(), QStringLiteral("select k4601 from mt.customers where ktag='%1'")
                                   .arg(existing)) +
                QStringLiteral("','") +
                m_fixture
                    .masterValue(program(),
                                 QStringLiteral("select k4602 from mt.customers where ktag='%1'")
                                     .arg(existing))
                    .replace(QLatin1Char('\''), QStringLiteral("''")) +
                QStringLiteral("');commit"));
        QCOMPARE(block[3], QStringLiteral("CopyToDestTable"));
        QCOMPARE(m_fixture.masterValue(
                     program(),
                     QStringLiteral(
                         "select count(*) from mt.customers where ktag in ('TEST-A','TEST-B')")),
                 QStringLiteral("2"));
    }

    // A value that cannot be written fails its row before an insert is built: the log then
    // shows the last insert that was built.
    void unreadableValueFailsItsRow()
    {
        CreateTempTable(program(), QStringLiteral("location"), QStringLiteral("R"));
        const QString select = QStringLiteral("select 'L1' as ltag,'2011-06-14' as l2809 union all "
                                              "select 'L2','not a date'");
        const QString before = syncErrorLog();
        QCOMPARE(CopyToDestTable(program(), select, QStringLiteral("temp_location"),
                                 QStringLiteral("R")),
                 1L);
        const QStringList block = newSyncErrorLines(before);
        QCOMPARE(block.size(), 4);
        QVERIFY(block[1].startsWith(QLatin1String("13 Type mismatch")));
        QCOMPARE(
            block[2],
            select +
                QStringLiteral(
                    ";insert into temp_location (ltag,l2809) values ('L1','2011-06-14');commit"));
        DropTempTables(program());
    }

    void emptySelectCopiesNothing()
    {
        copy().syncError = false;
        const QString before = syncErrorLog();
        CreateTempTable(program(), QStringLiteral("customers"), QStringLiteral("R"));
        QCOMPARE(CopyToDestTable(program(), QStringLiteral("select * from mt.customers where 1=0"),
                                 QStringLiteral("temp_customers"), QStringLiteral("R")),
                 0L);
        QCOMPARE(syncErrorLog(), before);
        QVERIFY(!copy().syncError);
        QVERIFY(!program().ui.isBusy());
        QVERIFY(log().textsContaining(QStringLiteral("insert into")).isEmpty());
        DropTempTables(program());
    }

    // Mode "M" reads the master and writes the remote.
    void copyTowardsTheRemote()
    {
        CreateTempTable(program(), QStringLiteral("valfield"), QStringLiteral("M"));
        const long copied = CopyToDestTable(program(), QStringLiteral("select * from mt.valfield"),
                                            QStringLiteral("temp_valfield"), QStringLiteral("M"));
        QCOMPARE(
            QString::number(copied),
            m_fixture.masterValue(program(), QStringLiteral("select count(*) from mt.valfield")));
        QCOMPARE(
            m_fixture.remoteValue(program(), QStringLiteral("select count(*) from temp_valfield")),
            QString::number(copied));
        QCOMPARE(
            log().textsContaining(QStringLiteral("insert into temp_valfield")),
            log().texts(DemoNames::remote.dsn).filter(QStringLiteral("insert into temp_valfield")));
        DropTempTables(program());
    }

    // Under DEBUGGING the trace box shows each step under the transfer's own text; the
    // running counter shows the rows as they go.
    void traceAndRunningCounter()
    {
        StatisticsSheet& sheet = program().statistics;
        program().state.switchDebugging = true;
        program().state.runningCounter = true;
        copy().traceText = QStringLiteral("get remote customer records");
        CreateTempTable(program(), QStringLiteral("customers"), QStringLiteral("R"));
        const int yields = m_t->ui.yields;
        QCOMPARE(CopyToDestTable(program(),
                                 QStringLiteral("select ktag,k4601,k4602 from mt.customers"),
                                 QStringLiteral("temp_customers"), QStringLiteral("R")),
                 8L);
        QCOMPARE(m_t->ui.yields - yields, 8);
        QCOMPARE(copy().traceText, QStringLiteral("get remote customer records\r\n"));
        QCOMPARE(copy().copyHeader, QStringLiteral("CopyToDestTable - temp_customers from R\r\n"));
        QCOMPARE(sheet.text(QStringLiteral("Text_debugs")),
                 QStringLiteral("get remote customer records\r\nCopyToDestTable - temp_customers "
                                "from R\r\n    Completed"));
        QCOMPARE(sheet.text(QStringLiteral("TextCounter")), QStringLiteral("8"));
        QVERIFY(sheet.isVisible(QStringLiteral("LabelCounter")) &&
                sheet.isVisible(QStringLiteral("TextCounter")));

        program().state.switchDebugging = false;
        program().state.runningCounter = false;
        CopyToDestTable(program(),
                        QStringLiteral("select ktag from mt.customers where ktag like 'F7%'"),
                        QStringLiteral("temp_customers"), QStringLiteral("R"));
        QVERIFY(!sheet.isVisible(QStringLiteral("LabelCounter")) &&
                !sheet.isVisible(QStringLiteral("TextCounter")));
        DropTempTables(program());
    }

    // A destination that is gone ends the copy at once instead of failing every row.
    void lostDestinationEndsTheCopy()
    {
        CreateTempTable(program(), QStringLiteral("customers"), QStringLiteral("R"));
        const QString before = syncErrorLog();
        m_fixture.faults()
            .failWhen(FaultInjector::textContains(QStringLiteral("insert into temp_customers")),
                      FaultInjector::lostConnection())
            .skip = 2;
        program().state.errorOccurred = false;
        QCOMPARE(CopyToDestTable(program(),
                                 QStringLiteral("select ktag,k4601,k4602 from mt.customers"),
                                 QStringLiteral("temp_customers"), QStringLiteral("R")),
                 0L);
        m_fixture.faults().clear();
        QVERIFY(program().state.errorOccurred);
        QCOMPARE(syncErrorLog(), before);
        QCOMPARE(log().textsContaining(QStringLiteral("insert into temp_customers")).size(), 3);
        const QString errors = errorLog();
        QVERIFY(errors.mid(errors.lastIndexOf(QLatin1String("****")))
                    .contains(QLatin1String("VRW1,CopyToDestTable")));
        DropTempTables(program());
    }

    // Every connect drops what an earlier run left declared and clears the sync-error flag.
    void connectingStartsAFreshRun()
    {
        CreateTempTable(program(), QStringLiteral("repair"), QStringLiteral("R"));
        copy().syncError = true;
        log().clear();
        StartupFunctions(program());
        QCOMPARE(log().textsContaining(QStringLiteral("drop table")),
                 QStringList{QStringLiteral("drop table temp_repair")});
        QVERIFY(copy().masterTempTables.isEmpty());
        QVERIFY(!copy().syncError);
    }

    // The scratch table is made by the schema owner: the owner's own session makes it at
    // once; anyone else's is reopened as the owner, which needs the configured password.
    void scratchTableIsMadeByTheOwner()
    {
        const QString probe = QStringLiteral(
            "SELECT table_name FROM sys.systable WHERE table_name = 'qel_vr_scratch'");
        const QString create = QStringLiteral(
            "CREATE TABLE mt.qel_vr_scratch (asset CHAR(80),mtag CHAR(80),xtag CHAR(80));");
        Connection* remote = &userConnection(program(), Side::Remote);
        remote->execute(QStringLiteral("drop table mt.qel_vr_scratch"));
        log().clear();
        CreateScratchTable(program());
        QCOMPARE(log().texts(), (QStringList{probe, create}));
        QCOMPARE(&userConnection(program(), Side::Remote), remote);

        // Another user of the remote, with no owner's password configured: told, not changed.
        remote->execute(QStringLiteral("drop table mt.qel_vr_scratch"));
        SessionState& s = program().state;
        DisconnectFromRemote(program());
        for (const DemoCatalogue::User& user : DemoCatalogue::users())
            if (user.login == QLatin1String("anna")) {
                s.remoteUser = user.login;
                s.remotePassword = user.password;
            }
        QVERIFY(ConnectToRemote(program()));
        remote = &userConnection(program(), Side::Remote);
        const qsizetype messages = m_t->ui.messages.size();
        CreateScratchTable(program());
        QCOMPARE(m_t->ui.messages.size(), messages + 1);
        QVERIFY(m_t->ui.messages.last().text.contains(QLatin1String("VARROW_OWNER_PASSWORD")));
        QCOMPARE(&userConnection(program(), Side::Remote), remote);
        QCOMPARE(s.remoteUser, QStringLiteral("anna"));
        QVERIFY(!TableExists(program(), QStringLiteral("R"), QStringLiteral("qel_vr_scratch")));

        qputenv("VARROW_OWNER_PASSWORD", SessionFixture::ownerPassword().toUtf8());
        log().clear();
        CreateScratchTable(program());
        qunsetenv("VARROW_OWNER_PASSWORD");
        QVERIFY(TableExists(program(), QStringLiteral("R"), QStringLiteral("qel_vr_scratch")));
        QCOMPARE(s.remoteUser, QStringLiteral("MT"));
        QVERIFY(s.remoteConnected);
        QVERIFY(log().texts(DemoNames::remote.dsn).contains(create));
        QVERIFY(!errorLog().contains(SessionFixture::ownerPassword() + QLatin1Char(';')));

        // Present: looked for, nothing more.
        log().clear();
        CreateScratchTable(program());
        QCOMPARE(log().texts(), QStringList{probe});
    }
};

VARROW_TEST_GUILESS_MAIN(TestRowCopy)
#include "tst_rowcopy.moc"
