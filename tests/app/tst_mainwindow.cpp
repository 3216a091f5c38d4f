#include "base/Settings.h"
#include "gui/FormAbout.h"
#include "gui/MDIFormMain.h"
#include "tests/support/TestMain.h"
#include "tests/support/TestProgram.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QtTest>

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

        // The window follows the model.
        t.program().menus.EnableMenus();
        QVERIFY(action("mnuRunCounter")->isEnabled());
        action("mnuRunCounter")->trigger();
        QCOMPARE(action("mnuRunCounter")->text(), QStringLiteral("Running Counter ON"));
    }

    void aboutWindowShowsItsTextsAndKeepsItsPlace()
    {
        TestProgram t;
        t.loadDeliveredPhrases();
        auto* about = new FormAbout(t.program());
        QCOMPARE(about->windowTitle(), QStringLiteral("About DAD/ADUVI Varrow"));
        QCOMPARE(about->findChild<QLabel*>(QStringLiteral("LabelVersion"))->text(),
                 QStringLiteral("DAD/ADUVI Varrow Version 1.0.0"));
        QCOMPARE(about->findChild<QPushButton*>(QStringLiteral("CommandAboutOK"))->text(),
                 QStringLiteral("&OK"));
        QCOMPARE(about->pos(), QPoint(171, 34));
        about->move(200, 100);
        about->findChild<QPushButton*>(QStringLiteral("CommandAboutOK"))->click();
        QCOMPARE(GetRegSetting(t.program(), QStringLiteral("FormAbout"), QStringLiteral("Left")),
                 QStringLiteral("3000"));
        QCOMPARE(GetRegSetting(t.program(), QStringLiteral("FormAbout"), QStringLiteral("Top")),
                 QStringLiteral("1500"));
        auto* again = new FormAbout(t.program());
        QCOMPARE(again->pos(), QPoint(200, 100));
        delete again;
    }
};

VARROW_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
