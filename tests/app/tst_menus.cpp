#include "app/MainMenu.h"
#include "base/ProgramExit.h"
#include "tests/support/TestMain.h"
#include "tests/support/TestProgram.h"
#include "views/MenuModel.h"

#include <QSignalSpy>
#include <QtTest>

class TestMenus : public QObject
{
    Q_OBJECT

    static const QList<MenuId>& workingMenus()
    {
        static const QList<MenuId> ids = {MenuId::mnuGetDatabase,    MenuId::mnuTransfer,
                                          MenuId::mnuAdministration, MenuId::mnuAllRecords,
                                          MenuId::mnuNewRecords,     MenuId::mnuReLogin,
                                          MenuId::mnuTrans,          MenuId::mnuRunCounter};
        return ids;
    }

    static int exitCode(const std::function<void()>& command)
    {
        try {
            command();
        } catch (const ProgramExit& exit) {
            return exit.code();
        }
        return -1;
    }

private Q_SLOTS:
    void designStateAndCaptions()
    {
        TestProgram t;
        t.loadDeliveredPhrases();
        MenuModel& m = t.program().menus;
        for (MenuId id :
             {MenuId::mnuAllRecords, MenuId::mnuTrans, MenuId::mnuVRLog, MenuId::mnuRunCounter})
            QVERIFY(!m.isEnabled(id));
        QVERIFY(m.isEnabled(MenuId::mnuNewRecords));
        m.applyPhrases(t.state().phrases);
        QCOMPARE(m.caption(MenuId::mnuFile), QStringLiteral("&File"));
        QCOMPARE(m.caption(MenuId::mnuNewRecords),
                 QStringLiteral("&Transfer Changes to Master Database"));
        QCOMPARE(m.caption(MenuId::mnuRunCounter), QStringLiteral("Running Counter OFF"));
    }

    void disableAndEnableTouchOnlyTheWorkingMenus()
    {
        TestProgram t;
        MenuModel& m = t.program().menus;
        QSignalSpy changed(&m, &MenuModel::changed);
        m.DisableMenus();
        for (MenuId id : workingMenus())
            QVERIFY(!m.isEnabled(id));
        QVERIFY(!m.isEnabled(MenuId::mnuVRLog)); // design state, untouched
        for (MenuId id : {MenuId::mnuFile, MenuId::mnuExit, MenuId::mnuabout})
            QVERIFY(m.isEnabled(id));
        m.EnableMenus();
        for (MenuId id : workingMenus())
            QVERIFY(m.isEnabled(id));
        QVERIFY(!m.isEnabled(MenuId::mnuVRLog));
        QCOMPARE(changed.count(), 2);
    }

    void runningCounterToggles()
    {
        TestProgram t;
        t.loadDeliveredPhrases();
        t.program().menus.applyPhrases(t.state().phrases);
        MainMenu& menu = t.program().mainMenu;
        menu.onCommand(MenuId::mnuRunCounter);
        QVERIFY(t.state().runningCounter);
        QCOMPARE(t.program().menus.caption(MenuId::mnuRunCounter),
                 QStringLiteral("Running Counter ON"));
        menu.onCommand(MenuId::mnuRunCounter);
        QVERIFY(!t.state().runningCounter);
        QCOMPARE(t.program().menus.caption(MenuId::mnuRunCounter),
                 QStringLiteral("Running Counter OFF"));
    }

    void exitAsksAndNoKeepsRunning()
    {
        TestProgram t;
        t.loadDeliveredPhrases();
        MainMenu& menu = t.program().mainMenu;
        QCOMPARE(exitCode([&] { menu.onExit(); }), -1); // default button: No
        QCOMPARE(t.ui.messages.size(), 1);
        const Message& m = t.ui.messages[0];
        QCOMPARE(m.text, QStringLiteral("Are You Sure You Want To Exit?"));
        QCOMPARE(m.title, QStringLiteral("Varrow"));
        QCOMPARE(m.icon, MessageIcon::Question);
        QCOMPARE(m.buttons, MessageButtons::YesNo);
        QCOMPARE(m.defaultButton, std::optional<Answer>(Answer::No));
        t.ui.script = {Answer::Yes};
        QCOMPARE(exitCode([&] { menu.onExit(); }), 0);
    }

    void exitWithPendingChangesWarns()
    {
        TestProgram t;
        t.loadDeliveredPhrases();
        t.state().modifiedRecordsPending = true;
        QCOMPARE(exitCode([&] { t.program().mainMenu.onClose(); }), -1);
        QVERIFY(t.ui.messages[0].text.startsWith(QStringLiteral("There are still outstanding")));
        QCOMPARE(t.ui.messages[0].title, QStringLiteral("Create New Remote Database"));
        QVERIFY(t.state().modifiedRecordsPending);
    }

    void firstTimeOrMaintenanceEndWithoutAsking()
    {
        TestProgram t;
        t.state().firstTime = true;
        t.ui.open = {Window::VRLog, Window::Statistics, Window::About};
        QCOMPARE(exitCode([&] { t.program().mainMenu.onExit(); }), 0);
        QVERIFY(t.ui.messages.isEmpty());
        QCOMPARE(t.ui.open, QSet<Window>{Window::About});

        TestProgram m;
        m.state().switchTransAll = true;
        QCOMPARE(exitCode([&] { m.program().mainMenu.onClose(); }), 0);
        QVERIFY(m.ui.messages.isEmpty());
    }

    void aboutOpensItsWindow()
    {
        TestProgram t;
        t.program().mainMenu.onCommand(MenuId::mnuabout);
        QCOMPARE(t.ui.shown, QList<Window>{Window::About});
    }
};

VARROW_TEST_GUILESS_MAIN(TestMenus)
#include "tst_menus.moc"
