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

    void findsKeysInAnyOrder()
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

    // Keys stand at the start of the list or after a ";", whatever the values hold.
    void valuesAreTakenAsWritten_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("expected"); // MDSN, MUID, MPWD, RDSN, RUID, RPWD
        QTest::newRow("letters that change length in upper case")
            << "-TRANSFER MUID=Strauß;MPWD=grüße;MDSN=m;RDSN=r;RUID=u;RPWD=p"
            << QStringList{"m", "Strauß", "grüße", "r", "u", "p"};
        QTest::newRow("a key name inside a password")
            << "-TRANSFER MDSN=m;MUID=a;MPWD=aRUIDzz#x;RDSN=r;RUID=u;RPWD=p"
            << QStringList{"m", "a", "aRUIDzz#x", "r", "u", "p"};
        QTest::newRow("key names in lower case, blanks after the separator")
            << "-autosync mdsn=m; muid=a; mpwd=b; rdsn=r; ruid=u; rpwd=mdsn=x"
            << QStringList{"m", "a", "b", "r", "u", "mdsn=x"};
        QTest::newRow("no switch") << "MDSN=m;MUID=a;MPWD=b;RDSN=r;RUID=u;RPWD=p"
                                   << QStringList{"m", "a", "b", "r", "u", "p"};
    }
    void valuesAreTakenAsWritten()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, expected);
        const CommandKeys k = parseCommandKeys(line);
        const QStringList found = {k.mdsn.value_or("-"), k.muid.value_or("-"),
                                   k.mpwd.value_or("-"), k.rdsn.value_or("-"),
                                   k.ruid.value_or("-"), k.rpwd.value_or("-")};
        QCOMPARE(found, expected);
    }

    void keysThatCannotBeLocated()
    {
        // MUID has no terminating ";" (its value would run into RPWD, which is no key there);
        // MPWD is absent.
        const CommandKeys k =
            parseCommandKeys(QStringLiteral("MDSN=m;RDSN=r;RUID=u;MUID=x RPWD=p"));
        QVERIFY(!k.muid);
        QVERIFY(!k.mpwd);
        QVERIFY(!k.rpwd);
        QCOMPARE(missingKeys(k), QStringLiteral("MUID, MPWD, RPWD"));
        // Nothing after RPWD is a key: its value runs to the end of the line.
        const CommandKeys afterRpwd =
            parseCommandKeys(QStringLiteral("-TRANSFER RPWD=p;MDSN=evil;MUID=x;"));
        QVERIFY(!afterRpwd.mdsn && !afterRpwd.muid);
        QCOMPARE(*afterRpwd.rpwd, QStringLiteral("p;MDSN=evil;MUID=x;"));
        // A key that does not start the list is none; one at the very end has no value.
        QVERIFY(!parseCommandKeys(QStringLiteral("-TRANSFER xx MDSN=m;")).mdsn);
        QVERIFY(!parseCommandKeys(QStringLiteral("-TRANSFER MDSN")).mdsn);
        QCOMPARE(*parseCommandKeys(QStringLiteral("-TRANSFER MDSN=m;RPWD")).rpwd, QString());
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
