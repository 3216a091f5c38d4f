#include "base/Settings.h"
#include "gui/FormConnect.h"
#include "tests/support/SessionFixture.h"
#include "tests/support/TestMain.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

class TestFormConnect : public QObject
{
    Q_OBJECT

    SessionFixture m_fixture;

    static QString focused()
    {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_fixture.workspace.isValid(), qPrintable(m_fixture.workspace.error()));
    }

    void tabOrderAndFocusFollowTheForm()
    {
        auto t = m_fixture.program();
        SaveRegSetting(t->program(), QStringLiteral("Configuration"),
                       QStringLiteral("MasterDatasource"), QStringLiteral("VarrowMaster"));
        SaveRegSetting(t->program(), QStringLiteral("Configuration"),
                       QStringLiteral("RemoteDatasource"), QStringLiteral("VarrowRemote"));
        SaveRegSetting(t->program(), QStringLiteral("Configuration"),
                       QStringLiteral("MasterUsername"), QStringLiteral("mt"));
        SaveRegSetting(t->program(), QStringLiteral("Configuration"),
                       QStringLiteral("RemoteUsername"), QStringLiteral("mt"));
        t->program().connectDialog.load();
        FormConnect window(t->program());
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        // With saved choices, input starts in the master password.
        QCOMPARE(focused(), QStringLiteral("TextMasterPassword"));
        QCOMPARE(window.findChild<QLineEdit*>(QStringLiteral("TextMasterUsername"))->text(),
                 QStringLiteral("mt"));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("sql"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(focused(), QStringLiteral("TextRemotePassword"));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("wrong"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(focused(), QStringLiteral("CommandConnect"));

        // A refused remote login empties the remote password and puts the cursor there.
        window.findChild<QPushButton*>(QStringLiteral("CommandConnect"))->click();
        QCOMPARE(t->ui.texts().size(), 1);
        QVERIFY(
            window.findChild<QLineEdit*>(QStringLiteral("TextRemotePassword"))->text().isEmpty());
        QCOMPARE(window.findChild<QLineEdit*>(QStringLiteral("TextMasterPassword"))->text(),
                 QStringLiteral("sql"));
        QCOMPARE(focused(), QStringLiteral("TextRemotePassword"));
    }
};

VARROW_TEST_MAIN(TestFormConnect)
#include "tst_formconnect.moc"
