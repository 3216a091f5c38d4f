#include "gui/FormAbout.h"
#include "gui/MDIFormMain.h"
#include "gui/QtUi.h"
#include "tests/support/TestMain.h"
#include "tests/support/TestProgram.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>
#include <optional>

class TestMainWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void showsTheMenuTreeWithItsStates()
    {
        TestProgram t;
        t.loadDeliveredPhrases();
        t.program().menus.applyPhrases(t.state().phrases);
        t.program().menus.DisableMenus();
        MDIFormMain window(t.program());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QCOMPARE(window.windowTitle(), QStringLiteral("Varrow"));
        QStringList bar;
        for (QAction* a : window.menuBar()->actions())
            bar << a->text();
        QCOMPARE(bar, QStringList({"&File", "&Administration", "&Transfer", "A&bout"}));

        auto action = [&](const char* name) {
            return window.findChild<QAction*>(QLatin1String(name));
        };
        auto menu = [&](const char* name) { return window.findChild<QMenu*>(QLatin1String(name)); };
        QVERIFY(action("mnuExit")->isEnabled());
        QCOMPARE(action("mnuExit")->shortcut(), QKeySequence(QStringLiteral("Ctrl+X")));
        QVERIFY(!action("mnuReLogin")->isEnabled());
        QVERIFY(!menu("mnuTransfer")->menuAction()->isEnabled());
        QVERIFY(!menu("mnuAdministration")->menuAction()->isEnabled());
        for (const char* admin : {"mnuAllRecords", "mnuTrans", "mnuVRLog", "mnuRunCounter"})
            QVERIFY(!action(admin)->isEnabled());
        QCOMPARE(action("mnuNewRecords")->shortcut(), QKeySequence(Qt::Key_F1));
        QCOMPARE(menu("mnuAdministration")->actions().size(), 4);

        // The window follows the model. The running counter is an item with a check mark.
        t.program().menus.EnableMenus();
        QAction* counter = action("mnuRunCounter");
        QVERIFY(counter->isEnabled());
        QVERIFY(counter->isCheckable() && !counter->isChecked());
        counter->trigger();
        QCOMPARE(counter->text(), QStringLiteral("Running Counter ON"));
        QVERIFY(counter->isChecked() && t.state().runningCounter);
        counter->trigger();
        QCOMPARE(counter->text(), QStringLiteral("Running Counter OFF"));
        QVERIFY(!counter->isChecked() && !t.state().runningCounter);

        // Once connected, the status bar says where and as whom, never with which password,
        // and what is pending.
        QVERIFY(!window.statusBar()->isVisible());
        t.state().masterPassword = QStringLiteral("Sesame-42");
        t.state().remotePassword = QStringLiteral("Sesame-43");
        t.program().menus.setStatus(
            MenuModel::Status{QStringLiteral("VarrowMaster"), QStringLiteral("anna"),
                              QStringLiteral("VarrowRemote"), QStringLiteral("mt"), 468, 37});
        QVERIFY(window.statusBar()->isVisible());
        QStringList status;
        for (QLabel* part : window.statusBar()->findChildren<QLabel*>())
            status << part->text();
        QCOMPARE(status, QStringList({"Master: VarrowMaster (anna)", "Remote: VarrowRemote (mt)",
                                      "New Records Pending: 468   Changes Pending: 37"}));
        QVERIFY(!status.join(QString()).contains(QStringLiteral("Sesame")));
        t.program().menus.setStatus(std::nullopt);
        QVERIFY(!window.statusBar()->isVisible());
    }

    // The About window: its texts, modal over the main window and centred on it wherever that
    // stands, as tall as its texts, closed by Escape.
    void aboutWindowIsAModalDialogCentredOnTheMainWindow()
    {
        TestProgram t;
        t.loadDeliveredPhrases();
        QWidget mainWindow;
        mainWindow.setGeometry(250, 140, 900, 700);
        mainWindow.show();
        QPointer<FormAbout> about = new FormAbout(t.program(), &mainWindow);
        QCOMPARE(about->windowTitle(), QStringLiteral("About DAD/ADUVI Varrow"));
        QCOMPARE(about->findChild<QLabel*>(QStringLiteral("LabelVersion"))->text(),
                 QStringLiteral("DAD/ADUVI Varrow Version 1.0.0"));
        auto* ok = about->findChild<QPushButton*>(QStringLiteral("CommandAboutOK"));
        QCOMPARE(ok->text(), QStringLiteral("&OK"));
        about->show();
        QVERIFY(QTest::qWaitForWindowExposed(about));
        QVERIFY(about->isModal());
        // Centred, give or take the width of the window frame.
        const QPoint offCentre =
            about->frameGeometry().center() - mainWindow.frameGeometry().center();
        QVERIFY2(offCentre.manhattanLength() <= 4,
                 qPrintable(QStringLiteral("%1,%2").arg(offCentre.x()).arg(offCentre.y())));
        // No empty band under the button.
        const int below = about->height() - ok->geometry().bottom();
        QVERIFY2(below <= 2 * about->layout()->contentsMargins().bottom(),
                 qPrintable(QString::number(below)));
        QTest::keyClick(about, Qt::Key_Escape);
        QTRY_VERIFY(about.isNull());
    }

    // Long work has the busy pointer from its first yield until the program waits for the user
    // again, whatever its steps set on the way; a message box has the normal pointer, and when
    // it closes the keyboard goes back to the window the user was working in.
    void thePointerAndTheKeyboardWhileTheProgramWorks()
    {
        auto pointer = [] {
            const QCursor* shown = QApplication::overrideCursor();
            return shown ? shown->shape() : Qt::ArrowCursor;
        };
        QWidget mainWindow;
        mainWindow.show();
        QDialog dialog(&mainWindow);
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QtUi ui;
        ui.setMainWindow(&mainWindow);

        ui.yield();
        ui.setBusy(true);
        ui.setBusy(false); // a step of the work that ends with the normal pointer
        QCOMPARE(pointer(), Qt::WaitCursor);
        std::optional<Qt::CursorShape> whileAsking;
        QTimer::singleShot(0, &dialog, [&] {
            whileAsking = pointer();
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                box->button(QMessageBox::Ok)->click();
        });
        ui.message({QStringLiteral("Connection failed"), QStringLiteral("Login Warning"),
                    MessageIcon::Exclamation, MessageButtons::Ok, std::nullopt});
        QCOMPARE(whileAsking, std::optional<Qt::CursorShape>(Qt::ArrowCursor));
        QTRY_COMPARE(QApplication::activeWindow(), &dialog);

        ui.yield();
        QCOMPARE(pointer(), Qt::WaitCursor);
        QEventLoop idle; // the work is done: the program waits for the user
        QTimer::singleShot(20, &idle, &QEventLoop::quit);
        idle.exec();
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        ui.setBusy(true);
        QCOMPARE(pointer(), Qt::WaitCursor);
        ui.setBusy(false);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }
};

VARROW_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
