#include "tests/support/SqliteTestDataSource.h"
#include "tests/support/TestMain.h"
#include "tests/support/TestSupport.h"

#include <QProcess>
#include <QTest>

namespace {

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

Run vrwsql(const QStringList& arguments, const QByteArray& input = QByteArray())
{
    QProcess process;
    process.start(testsupport::binaryDir() + QStringLiteral("/vrwsql"), arguments);
    if (!process.waitForStarted())
        return {};
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(-1);
    Run run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

const QString password = QStringLiteral("Never;Shown}42");

QStringList login(const QString& dataSource)
{
    return {QStringLiteral("-d"), dataSource, QStringLiteral("-u"),          QStringLiteral("mt"),
            QStringLiteral("-p"), password,   QStringLiteral("--no-dialect")};
}

} // namespace

class TestVrwsql : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void printsEachResultAsHeaderAndTabSeparatedRows();
    void readsCommandsFromStandardInput();
    void stopsAtTheFirstError();
    void aFailedConnectExitsWithTheDriversDescription();
    void explainsItsUse();

private:
    std::unique_ptr<SqliteTestDataSource> m_source;
};

void TestVrwsql::initTestCase()
{
    m_source = std::make_unique<SqliteTestDataSource>(QStringLiteral("VrwsqlTest"));
    QVERIFY2(m_source->isValid(), qPrintable(m_source->error()));
}

void TestVrwsql::printsEachResultAsHeaderAndTabSeparatedRows()
{
    const Run run = vrwsql(login(QStringLiteral("VrwsqlTest")) +
                           QStringList{
                               "create table t(code text, note text, n integer)",
                               "insert into t values('A1', null, 1)",
                               "insert into t values('Grüße €', '', 2)",
                               "select code, note, n from t order by n",
                               "update t set n = n + 10",
                               "select count(*) as rows_now from t",
                           });
    QCOMPARE(run.err, QString());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QStringLiteral("code\tnote\tn\n"
                                     "A1\t(NULL)\t1\n"
                                     "Grüße €\t\t2\n"
                                     "rows_now\n"
                                     "2\n"));
    QVERIFY(!run.out.contains(password));

    // Wide rows one field a line, the values aligned.
    const Run byField = vrwsql(login(QStringLiteral("VrwsqlTest")) +
                               QStringList{"--fields", "select code, note, n from t order by n"});
    QCOMPARE(byField.exitCode, 0);
    QCOMPARE(byField.out, QStringLiteral("code: A1\n"
                                         "note: (NULL)\n"
                                         "n:    11\n"
                                         "\n"
                                         "code: Grüße €\n"
                                         "note: \n"
                                         "n:    12\n"
                                         "\n"));
}

void TestVrwsql::readsCommandsFromStandardInput()
{
    const Run run =
        vrwsql(login(QStringLiteral("VrwsqlTest")), "create table lines(v)\n"
                                                    "\n"
                                                    "insert into lines values('x')\r\n"
                                                    "select v from lines\n"
                                                    "select v from lines where v = 'none'");
    QCOMPARE(run.err, QString());
    QCOMPARE(run.exitCode, 0);
    // An empty result still names its columns.
    QCOMPARE(run.out, QStringLiteral("v\nx\nv\n"));
}

void TestVrwsql::stopsAtTheFirstError()
{
    const Run run =
        vrwsql(login(QStringLiteral("VrwsqlTest")) +
               QStringList{"select 'before'", "select * from no_such_table", "select 'after'"});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out, QStringLiteral("'before'\nbefore\n"));
    QVERIFY2(run.err.contains(QLatin1String("no such table: no_such_table")), qPrintable(run.err));

    const Run fromInput =
        vrwsql(login(QStringLiteral("VrwsqlTest")), "select 1\nselec 2\nselect 3\n");
    QCOMPARE(fromInput.exitCode, 1);
    QCOMPARE(fromInput.out, QStringLiteral("1\n1\n"));
    QVERIFY(fromInput.err.contains(QLatin1String("syntax error")));
}

void TestVrwsql::aFailedConnectExitsWithTheDriversDescription()
{
    // Through the data-access layer as the program uses it, dialect and all.
    const Run run =
        vrwsql({QStringLiteral("-d"), QStringLiteral("NoSuchSource"), QStringLiteral("-u"),
                QStringLiteral("mt"), QStringLiteral("-p"), password, QStringLiteral("select 1")});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out, QString());
    QVERIFY2(run.err.contains(QLatin1String("Data source name not found")), qPrintable(run.err));
    QVERIFY(!run.err.contains(password));
}

void TestVrwsql::explainsItsUse()
{
    const Run help = vrwsql({QStringLiteral("--help")});
    QCOMPARE(help.exitCode, 0);
    for (const char* option : {"-d", "-u", "-p", "COMMAND"})
        QVERIFY2(help.out.contains(QLatin1String(option)), option);

    const Run noSource = vrwsql({QStringLiteral("select 1")});
    QCOMPARE(noSource.exitCode, 1);
    QVERIFY(noSource.err.contains(QLatin1String("-d DSN")));

    const Run unknownOption = vrwsql({QStringLiteral("-x")});
    QCOMPARE(unknownOption.exitCode, 1);
    QVERIFY(unknownOption.err.contains(QLatin1String("Unknown option")));
}

VARROW_TEST_GUILESS_MAIN(TestVrwsql)
#include "tst_vrwsql.moc"
