#include "app/CommandLine.h"
#include "app/Startup.h"
#include "tests/support/TestMain.h"
#include "tests/support/TestProgram.h"

#include <QtTest>

Q_DECLARE_METATYPE(CommandSwitch)

class TestCommandLine : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void recognisesSwitches_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<CommandSwitch>("expected");
        QTest::newRow("autosync") << "-AUTOSYNC MDSN=a;" << CommandSwitch::AutoSync;
        QTest::newRow("lower case") << "-autosync" << CommandSwitch::AutoSync;
        QTest::newRow("transfer") << "-TRANSFER" << CommandSwitch::Transfer;
        QTest::newRow("transall exactly") << "-TRANSALL" << CommandSwitch::TransAll;
        QTest::newRow("longer word") << "-TRANSFERRING" << CommandSwitch::Transfer;
        QTest::newRow("debugging") << "Debugging" << CommandSwitch::Debugging;
        QTest::newRow("not at the start") << "MDSN=a; -TRANSFER" << CommandSwitch::None;
        QTest::newRow("short") << "-TRANS" << CommandSwitch::None;
        QTest::newRow("empty") << "" << CommandSwitch::None;
    }
    void recognisesSwitches()
    {
        QFETCH(QString, line);
        QTEST(commandSwitch(line), "expected");
    }

    void findsKeysAnywhere()
    {
        const CommandKeys k = parseCommandKeys(
            QStringLiteral("-TRANSFER rdsn=Remote DSN ;RUID=fieldUser;MPWD=se;cret ;MUID= Admin "
                           ";MDSN:Master;RPWD= p;w d "));
        QCOMPARE(k.mdsn, std::optional<QString>(QStringLiteral("Master")));
        QCOMPARE(k.muid, std::optional<QString>(QStringLiteral("Admin")));
        QCOMPARE(k.mpwd, std::optional<QString>(QStringLiteral("se")));
        QCOMPARE(k.rdsn, std::optional<QString>(QStringLiteral("Remote DSN")));
        QCOMPARE(k.ruid, std::optional<QString>(QStringLiteral("fieldUser")));
        QCOMPARE(k.rpwd, std::optional<QString>(QStringLiteral("p;w d")));
        QVERIFY(missingKeys(k).isEmpty());
    }

    void keysThatCannotBeLocated()
    {
        // MUID has no terminating ";" (the value would run into RPWD); MPWD is absent.
        const CommandKeys k =
            parseCommandKeys(QStringLiteral("MDSN=m;RDSN=r;RUID=u;MUID=x RPWD=p"));
        QVERIFY(!k.muid);
        QVERIFY(!k.mpwd);
        QCOMPARE(*k.rpwd, QStringLiteral("p"));
        QCOMPARE(missingKeys(k), QStringLiteral("MUID, MPWD"));
        // A key at the very end has no value to find.
        QVERIFY(!parseCommandKeys(QStringLiteral("xx MDSN")).mdsn);
        QCOMPARE(*parseCommandKeys(QStringLiteral("xx RPWD")).rpwd, QString());
    }

    void parseCommandLeavesUnlocatedFieldsAlone()
    {
        TestProgram t;
        t.state().masterUser = QStringLiteral("kept");
        t.state().masterPassword = QStringLiteral("kept too");
        ParseCommand(t.program(), QStringLiteral("-TRANSFER MDSN=Master;RDSN=Remote;RPWD=sql"));
        QCOMPARE(t.state().masterDataSource, QStringLiteral("Master"));
        QCOMPARE(t.state().remoteDataSource, QStringLiteral("Remote"));
        QCOMPARE(t.state().remotePassword, QStringLiteral("sql"));
        QCOMPARE(t.state().masterUser, QStringLiteral("kept"));
        QCOMPARE(t.state().masterPassword, QStringLiteral("kept too"));
    }
};

VARROW_TEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
