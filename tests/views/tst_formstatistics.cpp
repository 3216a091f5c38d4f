#include "base/WindowPlacement.h"
#include "gui/FormStatistics.h"
#include "tests/support/SessionFixture.h"
#include "tests/support/TestMain.h"

#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

// The statistics window on the offscreen platform: it shows the sheet and follows it.
class TestFormStatistics : public QObject
{
    Q_OBJECT

    SessionFixture m_fixture;

    static std::unique_ptr<FormStatistics> open(TestProgram& t)
    {
        t.program().statistics.show();
        auto form = std::make_unique<FormStatistics>(t.program());
        form->show();
        return form;
    }

    static QTableWidget* table(QWidget& form)
    {
        return form.findChild<QTableWidget*>(QStringLiteral("dbrecords"));
    }

    // The table cell that shows one box of the sheet.
    static QTableWidgetItem* cell(QWidget& form, const QString& box)
    {
        QTableWidget* t = table(form);
        for (int r = 0; r < t->rowCount(); ++r) {
            for (int c = 0; c < t->columnCount(); ++c) {
                if (t->item(r, c)->data(Qt::UserRole).toString() == box)
                    return t->item(r, c);
            }
        }
        qFatal("no cell for %s", qPrintable(box));
    }

    static QTableWidgetItem* rowCaption(QWidget& form, int row)
    {
        return table(form)->item(row, 0);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_fixture.workspace.isValid(), qPrintable(m_fixture.workspace.error()));
    }

    void showsALoadedSheet()
    {
        TestProgram t;
        t.loadDeliveredPhrases();
        t.state().remoteSchemaVersion = QStringLiteral("6");
        auto form = open(t);
        QCOMPARE(form->windowTitle(), QStringLiteral("Data Transfer Statistics"));
        QCOMPARE(form->findChild<QProgressBar*>(QStringLiteral("ProgressBar"))->value(), 100);
        QCOMPARE(form->findChild<QLabel*>(QStringLiteral("Function"))->text(),
                 QStringLiteral("Transfer Completed"));
        QCOMPARE(form->findChild<QLabel*>(QStringLiteral("Progress"))->text(),
                 QStringLiteral("Successfully"));
        QCOMPARE(rowCaption(*form, 3)->text(), QStringLiteral("Cal Results"));
        QVERIFY(!(rowCaption(*form, 4)->flags() & Qt::ItemIsEnabled)); // Full Results
        QVERIFY(!(cell(*form, QStringLiteral("Rrrsnumber"))->flags() & Qt::ItemIsEnabled));
        QVERIFY(cell(*form, QStringLiteral("Rinvnumber"))->flags() & Qt::ItemIsEnabled);
        // Nothing written yet: every count is a dash.
        for (const QString& box : StatisticsSheet::textNames()) {
            if (box.startsWith(QLatin1Char('R')) || box.startsWith(QLatin1Char('M')))
                QCOMPARE(cell(*form, box)->text(), FormStatistics::unfilled);
        }
        QVERIFY(!form->findChild<QGroupBox*>(QStringLiteral("Frame2"))->isVisible());
        QVERIFY(!form->findChild<QLineEdit*>(QStringLiteral("TextCounter"))->isVisible());
        QCOMPARE(form->pos(), QPoint(twipsToPixels(975), twipsToPixels(1980)));
    }

    // After the transfers of the Transfer menu, the table shows the counts they wrote under a
    // header cell per column, in the application's font, a dash where they wrote nothing, and
    // the Close button sits at the bottom with no empty band under it. The validation tables
    // have rows of their own below the totals, so that with them every change the log held is
    // accounted for.
    void showsTheCountsOfATransfer()
    {
        auto logged = [this](const char* condition) {
            return m_fixture
                .remoteValue(QStringLiteral("select count(*) from qel_vr_log where sync_date is "
                                            "null and ") +
                             QLatin1String(condition))
                .toInt();
        };
        const int changes = logged("action='UPD'");
        const int valueEntries = logged("affected_table='VALFIELD' and action<>'UPD'");
        const int linkEntries = logged("affected_table='VALLINKDATA' and action<>'UPD'");
        const int validationChanges = logged("affected_table like 'VAL%' and action='UPD'");
        QVERIFY(valueEntries > 0 && linkEntries > 0 && validationChanges > 0);
        auto t = m_fixture.signedIn();
        QVERIFY(t);
        t->program().mainMenu.onCommand(MenuId::mnuNewRecords);
        const StatisticsSheet& sheet = t->program().statistics;
        QVERIFY(sheet.number(QStringLiteral("Rtotal")) > 0);
        auto form = std::make_unique<FormStatistics>(t->program());
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));

        QCOMPARE(cell(*form, QStringLiteral("Rtotalvfd"))->text().toInt(), valueEntries);
        QCOMPARE(cell(*form, QStringLiteral("Rtotalvld"))->text().toInt(), linkEntries);
        QCOMPARE(cell(*form, QStringLiteral("Mtotalvfd"))->text().toInt() +
                     cell(*form, QStringLiteral("Mtotalvld"))->text().toInt(),
                 validationChanges);
        QCOMPARE(cell(*form, QStringLiteral("Mtotal"))->text().toInt(),
                 changes - validationChanges);
        // Each total is the sum of the rows above it; the validation rows stand below.
        using Column = StatisticsSheet::Column;
        for (Column c : {Column::Rtotal, Column::Rnumber, Column::Mtotal, Column::Mnumber}) {
            int sum = 0;
            for (qsizetype r = 0; !StatisticsSheet::isTotalsRow(r); ++r)
                sum += cell(*form, StatisticsSheet::rowBox(c, r))->text().toInt();
            QCOMPARE(cell(*form, StatisticsSheet::totalBox(c))->text().toInt(), sum);
        }

        QTableWidget* grid = table(*form);
        QStringList header;
        for (int c = 0; c < grid->columnCount(); ++c) {
            header << grid->horizontalHeaderItem(c)->text();
            const Qt::Alignment side = c == 0 ? Qt::AlignLeft : Qt::AlignRight;
            QVERIFY(Qt::Alignment(grid->horizontalHeaderItem(c)->textAlignment()) & side);
        }
        QCOMPARE(header, QStringList({"Tables", "Records", "Inserted", "Changes", "Inserted"}));
        QCOMPARE(rowCaption(*form, 9)->text(), QStringLiteral("Totals"));
        QCOMPARE(rowCaption(*form, 11)->text(), QStringLiteral("Linked Validation"));
        QCOMPARE(grid->font(), QApplication::font());
        int filled = 0;
        for (const QString& box : StatisticsSheet::textNames()) {
            if (!box.startsWith(QLatin1Char('R')) && !box.startsWith(QLatin1Char('M')))
                continue;
            const QString written = sheet.text(box).trimmed();
            QTableWidgetItem* shown = cell(*form, box);
            QCOMPARE(shown->text(), written.isEmpty() ? FormStatistics::unfilled : written);
            QVERIFY(Qt::Alignment(shown->textAlignment()) & Qt::AlignRight);
            filled += written.isEmpty() ? 0 : 1;
        }
        QVERIFY(filled > 0);
        // Every row is whole, and the rows fill the table down to its last line.
        const int rowsHeight = grid->verticalHeader()->length();
        QVERIFY(rowsHeight >= grid->rowCount() * grid->fontMetrics().height());
        QVERIFY(grid->viewport()->height() - rowsHeight < grid->rowCount());

        auto* close = form->findChild<QPushButton*>(QStringLiteral("cmdClose"));
        QCOMPARE(close->text(), QStringLiteral("&Close"));
        QVERIFY(form->height() - close->geometry().bottom() <= 8);
        close->click();
        QVERIFY(!t->program().statistics.isLoaded());
    }

    void followsTheSheet()
    {
        TestProgram t;
        t.loadDeliveredPhrases();
        auto form = open(t);
        StatisticsSheet& sheet = t.program().statistics;
        sheet.setText(QStringLiteral("dbrecords(0)"), t.program().phrase(414));
        sheet.setText(QStringLiteral("Rtotalcal"), QStringLiteral("17"));
        sheet.setText(QStringLiteral("Minsttotal"), QStringLiteral("3"));
        sheet.setProgressBar(35);
        sheet.setText(QStringLiteral("Function"),
                      QStringLiteral("Insert NEW Records Into Master Database"));
        sheet.setVisible(QStringLiteral("TextCounter"), true);
        sheet.setText(QStringLiteral("TextCounter"), QStringLiteral("9"));
        QCOMPARE(table(*form)->horizontalHeaderItem(3)->text(), QStringLiteral("Master"));
        QCOMPARE(cell(*form, QStringLiteral("Rtotalcal"))->text(), QStringLiteral("17"));
        QCOMPARE(cell(*form, QStringLiteral("Minsttotal"))->text(), QStringLiteral("3"));
        QCOMPARE(cell(*form, QStringLiteral("Mtotalcal"))->text(), FormStatistics::unfilled);
        QCOMPARE(form->findChild<QProgressBar*>(QStringLiteral("ProgressBar"))->value(), 35);
        QCOMPARE(form->findChild<QLabel*>(QStringLiteral("Function"))->text(),
                 QStringLiteral("Insert NEW Records Into Master Database"));
        QVERIFY(form->findChild<QLineEdit*>(QStringLiteral("TextCounter"))->isVisible());
        QCOMPARE(form->findChild<QLineEdit*>(QStringLiteral("TextCounter"))->text(),
                 QStringLiteral("9"));
    }

    // Inside the main frame, as the program shows it: the frame sizes its child windows by
    // their size hint, which must not let the trace box's wishes stretch the window.
    void debuggingWindowIsTallerAndShowsTheTrace()
    {
        QMdiArea area;
        area.resize(1000, 900);
        TestProgram plain;
        plain.program().statistics.show();
        auto* normal = new FormStatistics(plain.program());
        QMdiSubWindow* normalFrame = area.addSubWindow(normal);
        TestProgram t;
        t.state().switchDebugging = true;
        t.program().statistics.show();
        auto* debugging = new FormStatistics(t.program());
        QMdiSubWindow* debuggingFrame = area.addSubWindow(debugging);
        area.show();
        normalFrame->show();
        debuggingFrame->show();
        const int room =
            twipsToPixels(StatisticsSheet::DebuggingHeightTwips - StatisticsSheet::HeightTwips);
        QCOMPARE(debugging->height() - normal->height(), room);
        QCOMPARE(debuggingFrame->height() - normalFrame->height(), room);
        QCOMPARE(debugging->width(), normal->width());
        QVERIFY(debugging->findChild<QGroupBox*>(QStringLiteral("Frame2"))->isVisible());
        t.program().statistics.setText(QStringLiteral("Text_debugs"),
                                       QStringLiteral("step one\r\nstep two"));
        QCOMPARE(
            debugging->findChild<QPlainTextEdit*>(QStringLiteral("Text_debugs"))->toPlainText(),
            QStringLiteral("step one\nstep two"));
    }

    void closingKeepsThePosition()
    {
        TestProgram t;
        auto form = open(t);
        form->move(twipsToPixels(3000), twipsToPixels(1500));
        form->close();
        QVERIFY(!t.program().statistics.isLoaded());
        QCOMPARE(t.program().settings.value(QStringLiteral("FormStatistics/Left")).toString(),
                 QStringLiteral("3000"));
        QCOMPARE(t.program().settings.value(QStringLiteral("FormStatistics/Top")).toString(),
                 QStringLiteral("1500"));
    }
};

VARROW_TEST_MAIN(TestFormStatistics)
#include "tst_formstatistics.moc"
