#include "base/Settings.h"
#include "base/WindowPlacement.h"
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

    // A user signs in with the keyboard alone: Tab follows the form's order, Enter presses the
    // default button (Connect, or the button that has the focus), Escape asks to exit.
    void theKeyboardDrivesTheDialog()
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
        QWidget mainWindow;
        FormConnect window(t->program(), &mainWindow);
        // A dialog of the main window, without the buttons of a document window.
        QCOMPARE(window.windowType(), Qt::Dialog);
        QVERIFY(!(window.windowFlags() & Qt::WindowMinMaxButtonsHint));
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QCOMPARE(window.pos() - mainWindow.mapToGlobal(QPoint(0, 0)),
                 QPoint(twipsToPixels(975), twipsToPixels(1980)));
        auto button = [&](const char* name) {
            return window.findChild<QPushButton*>(QLatin1String(name));
        };

        // With saved choices, input starts in the master password.
        QCOMPARE(focused(), QStringLiteral("TextMasterPassword"));
        QCOMPARE(window.findChild<QLineEdit*>(QStringLiteral("TextMasterUsername"))->text(),
                 QStringLiteral("mt"));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("sql"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(focused(), QStringLiteral("TextRemotePassword"));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("wrong"));
        QVERIFY(button("CommandConnect")->isDefault());

        // Enter in a field connects; a refused remote login empties the remote password and
        // puts the cursor there.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(t->ui.messages.size(), 1);
        QCOMPARE(t->ui.messages[0].title, QStringLiteral("Login Warning"));
        QVERIFY(
            window.findChild<QLineEdit*>(QStringLiteral("TextRemotePassword"))->text().isEmpty());
        QCOMPARE(window.findChild<QLineEdit*>(QStringLiteral("TextMasterPassword"))->text(),
                 QStringLiteral("sql"));
        QCOMPARE(focused(), QStringLiteral("TextRemotePassword"));

        // The focused button is the one Enter presses: here AutoSync, which finds the remote
        // password empty.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(focused(), QStringLiteral("CommandDoItAll"));
        QVERIFY(button("CommandDoItAll")->isDefault());
        QVERIFY(!button("CommandConnect")->isDefault());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(t->ui.messages.size(), 2);
        QCOMPARE(t->ui.messages[1].text, t->program().phrase(139));

        // Escape asks whether to exit (No is the default answer) and the dialog stays.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QCOMPARE(t->ui.messages.size(), 3);
        QCOMPARE(t->ui.messages[2].text, t->program().phrase(115));
        QCOMPARE(t->ui.messages[2].icon, MessageIcon::Question);
        QVERIFY(window.isVisible());
        QVERIFY(t->program().connectDialog.isLoaded());
    }
};

VARROW_TEST_MAIN(TestFormConnect)
#include "tst_formconnect.moc"
