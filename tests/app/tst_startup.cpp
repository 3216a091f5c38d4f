#include "app/InstanceLock.h"
#include "app/Startup.h"
#include "base/ProgramExit.h"
#include "tests/support/TestMain.h"
#include "tests/support/TestProgram.h"

#include <QFile>
#include <QLockFile>
#include <QTemporaryDir>
#include <QtTest>

class TestStartup : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString lockPath() const { return m_dir.filePath(QStringLiteral("vrw1.lock")); }

    // Runs the start-up; returns the exit status, or -1 when the program goes on.
    int start(TestProgram& t, const QString& commandLine)
    {
        InstanceLock lock(lockPath());
        try {
            runStartup(t.program(), commandLine, lock);
        } catch (const ProgramExit& exit) {
            return exit.code();
        }
        return -1;
    }

private Q_SLOTS:
    void cleanup() { QFile::remove(lockPath()); }

    void withoutSwitchTheConnectDialogShows()
    {
        TestProgram t;
        QCOMPARE(start(t, QStringLiteral("  ")), -1);
        QCOMPARE(t.ui.shown, QList<Window>{Window::Connect});
        QCOMPARE(t.program().menus.caption(MenuId::mnuExit), QStringLiteral("E&xit"));
        QVERIFY(!t.program().menus.isEnabled(MenuId::mnuTransfer));
        QVERIFY(t.program().menus.isEnabled(MenuId::mnuExit));
        QVERIFY(t.ui.messages.isEmpty());
    }

    void keysWithoutSwitchOnlyFillTheSession()
    {
        TestProgram t;
        QCOMPARE(start(t, QStringLiteral("MDSN=VarrowMaster;MUID=mt;RPWD=sql")), -1);
        QCOMPARE(t.state().masterDataSource, QStringLiteral("VarrowMaster"));
        QCOMPARE(t.state().remotePassword, QStringLiteral("sql"));
        QCOMPARE(t.ui.shown, QList<Window>{Window::Connect});
    }

    // Without saved settings the dialog's fields are empty: every connect stops at its
    // validation, once per connect, and an unattended run ends as failed. The maintenance
    // start keeps its window: it offers the connect dialog again, and merges nothing.
    void automaticModesWithoutCredentialsFail_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("autosync");
        QTest::addColumn<bool>("transfer");
        QTest::addColumn<bool>("transall");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("connectShown");
        const QString fill = QStringLiteral("Fill In All Fields Before Selecting Connect!");
        const QString fillAuto =
            QStringLiteral("Please Fill In All Fields Before Selecting AutoSync!");
        QTest::newRow("lower-case autosync") << "-autosync MDSN=a;" << 1 << true << false << false
                                             << QStringList{fill, fillAuto} << false;
        QTest::newRow("blank before transfer")
            << "  -TRANSFER MDSN=a;" << 1 << false << true << false << QStringList{fill} << false;
        QTest::newRow("transall alone")
            << "-TRANSALL" << -1 << false << false << true << QStringList{fill} << true;
    }
    void automaticModesWithoutCredentialsFail()
    {
        QFETCH(QString, line);
        TestProgram t;
        QTEST(start(t, line), "status");
        QTEST(t.state().switchAutoSync, "autosync");
        QTEST(t.state().switchTransfer, "transfer");
        QTEST(t.state().switchTransAll, "transall");
        QCOMPARE(t.state().commandLine, line.trimmed());
        QTEST(t.ui.texts(), "messages");
        QTEST(t.ui.shown.contains(Window::Connect), "connectShown");
    }

    void debuggingIsOnlyADiagnosticFlag()
    {
        TestProgram t;
        QCOMPARE(start(t, QStringLiteral("debugging")), -1);
        QVERIFY(t.state().switchDebugging);
        QCOMPARE(t.ui.shown, QList<Window>{Window::Connect});
    }

    void aSecondInstanceIsRefused()
    {
        QLockFile first(lockPath());
        QVERIFY(first.tryLock(0));
        // However long the first copy has been running, it keeps its lock.
        QFile held(lockPath());
        QVERIFY(held.open(QIODevice::ReadWrite));
        held.setFileTime(QDateTime::currentDateTime().addDays(-3),
                         QFileDevice::FileModificationTime);
        held.close();
        TestProgram t;
        QCOMPARE(start(t, QStringLiteral("-TRANSFER")), 0);
        QCOMPARE(t.ui.messages.size(), 1);
        QCOMPARE(t.ui.messages[0].text,
                 QStringLiteral("Cannot Run Multiple Instances Of This Application!"));
        QCOMPARE(t.ui.messages[0].title, QStringLiteral("Varrow"));
        QCOMPARE(t.ui.messages[0].icon, MessageIcon::Critical);
        QVERIFY(!t.state().switchTransfer);
    }

    // A lock that cannot be made is no second instance: the run ends as failed and says why.
    void aLockThatCannotBeMadeIsAnError()
    {
        QFile blocker(m_dir.filePath(QStringLiteral("file")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QString path = m_dir.filePath(QStringLiteral("file/VARROW/vrw1.lock"));
        TestProgram t;
        InstanceLock lock(path);
        int status = -1;
        try {
            runStartup(t.program(), QStringLiteral("-TRANSFER"), lock);
        } catch (const ProgramExit& exit) {
            status = exit.code();
        }
        QCOMPARE(status, 1);
        QCOMPARE(t.ui.texts(),
                 QStringList{QStringLiteral("Varrow cannot make its lock file %1, which keeps a "
                                            "second copy from running at the same time: the "
                                            "folder %2 cannot be created.")
                                 .arg(path, m_dir.filePath(QStringLiteral("file/VARROW")))});
    }

    void aLockLeftByACrashedProcessDoesNotBlock()
    {
        // The lock file of a process that no longer exists, written long ago.
        QFile stale(lockPath());
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write("999999\nvrw1\n" + QSysInfo::machineHostName().toUtf8() + "\n");
        stale.close();
        stale.setFileTime(QDateTime::currentDateTime().addDays(-3),
                          QFileDevice::FileModificationTime);
        TestProgram t;
        QCOMPARE(start(t, QString()), -1);
        QVERIFY(t.ui.messages.isEmpty());
    }
};

VARROW_TEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
