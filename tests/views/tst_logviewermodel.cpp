#include "base/ProgramExit.h"
#include "base/Settings.h"
#include "tests/support/SessionFixture.h"
#include "tests/support/TestMain.h"
#include "views/LogViewerModel.h"

#include <QtTest>

// The two viewers' models on a demo workspace: what the status line says, where the
// navigation stops, and which history rows the history viewer lists.
class TestLogViewerModel : public QObject
{
    Q_OBJECT

    SessionFixture m_fixture;
    std::unique_ptr<TestProgram> m_t;

    std::unique_ptr<LogViewerModel> model(LogViewerModel::Kind kind)
    {
        Program& p = m_t->program();
        return std::make_unique<LogViewerModel>(kind, p, p.connections);
    }

    static QStringList column(const LogViewerModel& model, int column)
    {
        QStringList values;
        for (int row = 0; row < model.rowCount(); ++row)
            values.append(model.data(model.index(row, column)).toString());
        return values;
    }

    void addHistory(const QString& host, const QString& stop, const QString& comment)
    {
        m_fixture.onMaster(
            QStringLiteral("insert into qel_vr_transfer_log (host_name,user_name,start_time,"
                           "transfer_type,num_records,stop_time,comments) values ('%1','mt',"
                           "'%2','Synchronize',1,'%2','%3')")
                .arg(host, stop, comment));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_fixture.workspace.isValid(), qPrintable(m_fixture.workspace.error()));
        m_fixture.onRemote(QStringLiteral("create table log_kept as select * from qel_vr_log"));
    }

    void init()
    {
        m_fixture.onRemote(QStringLiteral("delete from qel_vr_log"));
        m_fixture.onRemote(QStringLiteral("insert into qel_vr_log select * from log_kept"));
        m_t = m_fixture.ownerSession();
        QVERIFY2(m_t, qPrintable(m_fixture.error()));
    }

    void anEmptyChangeLogHasNoRecordsAndNowhereToGo()
    {
        m_fixture.onRemote(QStringLiteral("delete from qel_vr_log"));
        auto viewer = model(LogViewerModel::Kind::ChangeLog);
        QVERIFY(viewer->load());
        QCOMPARE(viewer->rowCount(), 0);
        QCOMPARE(viewer->columnCount(), 9);
        QCOMPARE(viewer->status(), QStringLiteral("No Records Available"));
        QCOMPARE(viewer->currentRow(), -1);
        viewer->moveNext();
        viewer->movePrevious();
        viewer->moveLast();
        viewer->moveFirst();
        QCOMPARE(viewer->status(), QStringLiteral("No Records Available"));
        QCOMPARE(m_t->ui.beeps, 0);
        QVERIFY(m_t->ui.texts().isEmpty());
    }

    // Next on the last row and Previous on the first beep and stay; the grid holds the
    // whole log, read-only, under readable headers; Refresh shows what was logged since.
    void navigationStopsAtEitherEndWithABeep()
    {
        const int logged =
            m_fixture.remoteValue(QStringLiteral("select count(*) from qel_vr_log")).toInt();
        QVERIFY(logged >= 2);
        auto viewer = model(LogViewerModel::Kind::ChangeLog);
        QSignalSpy moves(viewer.get(), &LogViewerModel::moved);
        QVERIFY(viewer->load());
        QCOMPARE(viewer->rowCount(), logged);
        QCOMPARE(viewer->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Asset Number"));
        QCOMPARE(viewer->headerData(8, Qt::Horizontal).toString(), QStringLiteral("Transferred"));
        QVERIFY(!(viewer->flags(viewer->index(0, 0)) & Qt::ItemIsEditable));
        QCOMPARE(viewer->status(), QStringLiteral("Record: 1"));

        viewer->movePrevious();
        QCOMPARE(m_t->ui.beeps, 1);
        QCOMPARE(viewer->status(), QStringLiteral("Record: 1"));
        QCOMPARE(viewer->currentRow(), 0);

        viewer->moveNext();
        QCOMPARE(viewer->status(), QStringLiteral("Record: 2"));
        viewer->moveLast();
        QCOMPARE(viewer->status(), QStringLiteral("Record: %1").arg(logged));
        viewer->moveNext();
        QCOMPARE(m_t->ui.beeps, 2);
        QCOMPARE(viewer->status(), QStringLiteral("Record: %1").arg(logged));
        QCOMPARE(viewer->currentRow(), logged - 1);

        viewer->moveTo(1);
        QCOMPARE(viewer->status(), QStringLiteral("Record: 2"));
        viewer->moveFirst();
        QCOMPARE(viewer->status(), QStringLiteral("Record: 1"));
        QCOMPARE(m_t->ui.beeps, 2);
        QVERIFY(moves.count() >= 6);

        m_fixture.onRemote(QStringLiteral("delete from qel_vr_log where rowid in (select rowid "
                                          "from qel_vr_log limit 1)"));
        QCOMPARE(viewer->rowCount(), logged); // not re-read by itself
        viewer->refresh();
        QCOMPARE(viewer->rowCount(), logged - 1);
        QCOMPARE(viewer->status(), QStringLiteral("Record: 1"));
    }

    void theHistoryListsThisWorkstationNewestFirst()
    {
        m_fixture.onMaster(QStringLiteral("delete from qel_vr_transfer_log"));
        addHistory(QStringLiteral("FIELD-7"), QStringLiteral("2026-03-02 10:00:00"),
                   QStringLiteral("second"));
        addHistory(QStringLiteral("OFFICE-2"), QStringLiteral("2026-03-05 10:00:00"),
                   QStringLiteral("elsewhere"));
        addHistory(QStringLiteral("FIELD-7"), QStringLiteral("2026-03-09 10:00:00"),
                   QStringLiteral("newest"));
        addHistory(QStringLiteral("FIELD-7"), QStringLiteral("2026-02-20 10:00:00"),
                   QStringLiteral("oldest"));
        m_t->state().remoteMachineName = QStringLiteral("FIELD-7");

        auto viewer = model(LogViewerModel::Kind::TransferHistory);
        QVERIFY(viewer->load());
        QCOMPARE(viewer->columnCount(), 22);
        QCOMPARE(viewer->headerData(4, Qt::Horizontal).toString(), QStringLiteral("Finished"));
        QCOMPARE(viewer->headerData(21, Qt::Horizontal).toString(), QStringLiteral("Comments"));
        QCOMPARE(column(*viewer, 21),
                 (QStringList{QStringLiteral("newest"), QStringLiteral("second"),
                              QStringLiteral("oldest")}));
        QCOMPARE(viewer->status(), QStringLiteral("Record: 1"));
        QCOMPARE(viewer->caption(), QStringLiteral("Varrow Transfer History Log"));
    }

    // A first opening takes the defaults; a closed viewer reopens where it was left.
    void theGeometryIsKeptUnderTheViewersSection()
    {
        auto viewer = model(LogViewerModel::Kind::ChangeLog);
        QVERIFY(viewer->load());
        QCOMPARE(viewer->leftTwips(), 975.0);
        QCOMPARE(viewer->topTwips(), 1980.0);
        QCOMPARE(viewer->heightTwips(), 3650.0);
        QCOMPARE(viewer->widthTwips(), 5500.0);
        viewer->unload(1500, 2400, 4200, 7200);
        QVERIFY(!viewer->isLoaded());
        const BaseContext& base = m_t->program();
        QCOMPARE(GetRegSetting(base, QStringLiteral("FormVRLog"), QStringLiteral("Width")),
                 QStringLiteral("7200"));

        auto again = model(LogViewerModel::Kind::ChangeLog);
        QVERIFY(again->load());
        QCOMPARE(again->leftTwips(), 1500.0);
        QCOMPARE(again->topTwips(), 2400.0);
        QCOMPARE(again->heightTwips(), 4200.0);
        QCOMPARE(again->widthTwips(), 7200.0);
        auto history = model(LogViewerModel::Kind::TransferHistory);
        QVERIFY(history->load());
        QCOMPARE(history->leftTwips(), 975.0);
    }

    // A viewer that cannot reach its database reports it under the viewer's own name.
    void aFailedLoadIsReportedAsTheViewersLoad()
    {
        m_t->state().masterDataSource = QStringLiteral("NoSuchSource");
        auto viewer = model(LogViewerModel::Kind::TransferHistory);
        try {
            viewer->load();
            QFAIL("the load went on");
        } catch (const ProgramExit& exit) {
            QCOMPARE(exit.code(), 1);
        }
        QVERIFY(!viewer->isLoaded());
        QCOMPARE(m_t->ui.texts().size(), 1);
        QVERIFY2(m_t->ui.texts().first().contains(QStringLiteral("FormTransLog,FormLoad")),
                 qPrintable(m_t->ui.texts().first()));
    }
};

VARROW_TEST_GUILESS_MAIN(TestLogViewerModel)
#include "tst_logviewermodel.moc"
