#include "base/Settings.h"
#include "gui/LogViewerForm.h"
#include "tests/support/SessionFixture.h"
#include "tests/support/TestMain.h"

#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QtTest>

// The two viewer windows on the offscreen platform, filled from a demo workspace.
class TestLogViewerForms : public QObject
{
    Q_OBJECT

    SessionFixture m_fixture;
    std::unique_ptr<TestProgram> m_t;

    template <typename Widget> static Widget* child(QWidget& form, const char* name)
    {
        auto* widget = form.findChild<Widget*>(QString::fromLatin1(name));
        if (!widget)
            qFatal("no %s in the window", name);
        return widget;
    }

    static QString status(QWidget& form) { return child<QLabel>(form, "lblStatus")->text(); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_fixture.workspace.isValid(), qPrintable(m_fixture.workspace.error()));
    }

    void init()
    {
        m_t = m_fixture.ownerSession();
        QVERIFY2(m_t, qPrintable(m_fixture.error()));
    }

    // The change log in the grid, the navigation strip, Refresh and Close; the closed
    // window's geometry is kept for the next opening.
    void theChangeLogViewerBrowsesAndCloses()
    {
        const int logged =
            m_fixture.remoteValue(QStringLiteral("select count(*) from qel_vr_log")).toInt();
        QVERIFY(logged >= 2);
        FormVRLog form(m_t->program());
        QVERIFY(form.load());
        form.show();
        QCOMPARE(form.windowTitle(), QStringLiteral("Varrow Log"));
        QCOMPARE(form.geometry(), QRect(65, 132, 366, 243));
        auto* grid = child<QTableView>(form, "grdDataGrid");
        QCOMPARE(grid->model()->rowCount(), logged);
        QCOMPARE(grid->model()->headerData(0, Qt::Horizontal).toString(),
                 QStringLiteral("Asset Number"));
        QCOMPARE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(status(form), QStringLiteral("Record: 1"));
        QCOMPARE(child<QPushButton>(form, "cmdRefresh")->text(), QStringLiteral("&Refresh"));
        QCOMPARE(child<QPushButton>(form, "cmdClose")->text(), QStringLiteral("&Close"));

        child<QToolButton>(form, "cmdNext")->click();
        QCOMPARE(status(form), QStringLiteral("Record: 2"));
        QCOMPARE(grid->currentIndex().row(), 1);
        child<QToolButton>(form, "cmdLast")->click();
        child<QToolButton>(form, "cmdNext")->click();
        QCOMPARE(m_t->ui.beeps, 1);
        QCOMPARE(status(form), QStringLiteral("Record: %1").arg(logged));
        QCOMPARE(grid->currentIndex().row(), logged - 1);
        child<QToolButton>(form, "cmdFirst")->click();
        child<QToolButton>(form, "cmdPrevious")->click();
        QCOMPARE(m_t->ui.beeps, 2);
        QCOMPARE(status(form), QStringLiteral("Record: 1"));
        grid->setCurrentIndex(grid->model()->index(2, 0));
        QCOMPARE(status(form), QStringLiteral("Record: 3"));

        m_fixture.onRemote(QStringLiteral("delete from qel_vr_log"));
        child<QPushButton>(form, "cmdRefresh")->click();
        QCOMPARE(grid->model()->rowCount(), 0);
        QCOMPARE(status(form), QStringLiteral("No Records Available"));

        form.setGeometry(100, 140, 400, 300);
        child<QPushButton>(form, "cmdClose")->click();
        QVERIFY(!form.isVisible());
        const BaseContext& base = m_t->program();
        QCOMPARE(GetRegSetting(base, QStringLiteral("FormVRLog"), QStringLiteral("Left")),
                 QStringLiteral("1500"));
        QCOMPARE(GetRegSetting(base, QStringLiteral("FormVRLog"), QStringLiteral("Width")),
                 QStringLiteral("6000"));
        QCOMPARE(GetRegSetting(base, QStringLiteral("FormVRLog"), QStringLiteral("Height")),
                 QStringLiteral("4500"));
    }

    void theHistoryViewerShowsThisWorkstationsRuns()
    {
        m_fixture.onMaster(QStringLiteral("delete from qel_vr_transfer_log"));
        for (const char* host : {"FIELD-7", "OFFICE-2", "FIELD-7"})
            m_fixture.onMaster(QStringLiteral("insert into qel_vr_transfer_log (host_name,"
                                              "transfer_type,stop_time) values ('%1',"
                                              "'Synchronize','2026-03-0%2 10:00:00')")
                                   .arg(QLatin1String(host))
                                   .arg(m_fixture.historyRows() + 1));
        m_t->state().remoteMachineName = QStringLiteral("FIELD-7");
        const BaseContext& base = m_t->program();
        for (const auto& [key, value] :
             {std::pair{"Left", "1500"}, {"Top", "600"}, {"Height", "4500"}, {"Width", "7500"}})
            SaveRegSetting(base, QStringLiteral("FormTransLog"), QLatin1String(key),
                           QLatin1String(value));

        // Inside the main frame, as the program shows it: the frame takes the kept place.
        QMdiArea area;
        area.resize(1000, 800);
        area.show();
        auto* form = new FormTransLog(m_t->program());
        QVERIFY(form->load());
        QMdiSubWindow* frame = area.addSubWindow(form);
        frame->setAttribute(Qt::WA_DeleteOnClose);
        frame->show();
        QCOMPARE(frame->geometry(), QRect(100, 40, 500, 300));
        QCOMPARE(form->windowTitle(), QStringLiteral("Varrow Transfer History Log"));
        auto* grid = child<QTableView>(*form, "grdDataGrid");
        QCOMPARE(grid->model()->rowCount(), 2);
        QCOMPARE(grid->model()->data(grid->model()->index(0, 4)).toString().left(10),
                 QStringLiteral("2026-03-03"));
        QCOMPARE(grid->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Type"));
        QVERIFY(!form->findChild<QPushButton*>(QStringLiteral("cmdRefresh")));
        QVERIFY(!form->findChild<QPushButton*>(QStringLiteral("cmdClose")));
        QCOMPARE(status(*form), QStringLiteral("Record: 1"));
        child<QToolButton>(*form, "cmdLast")->click();
        QCOMPARE(status(*form), QStringLiteral("Record: 2"));

        frame->move(120, 60);
        frame->close();
        QCOMPARE(GetRegSetting(base, QStringLiteral("FormTransLog"), QStringLiteral("Left")),
                 QStringLiteral("1800"));
        QCOMPARE(GetRegSetting(base, QStringLiteral("FormTransLog"), QStringLiteral("Top")),
                 QStringLiteral("900"));
        QCOMPARE(GetRegSetting(base, QStringLiteral("FormTransLog"), QStringLiteral("Width")),
                 QStringLiteral("7500"));
    }
};

VARROW_TEST_MAIN(TestLogViewerForms)
#include "tst_logviewerforms.moc"
