#include "base/LogFiles.h"
#include "base/ProgramExit.h"
#include "base/Settings.h"
#include "tests/support/TestMain.h"
#include "tests/support/TestProgram.h"
#include "views/StatisticsProgressLog.h"
#include "views/StatisticsSheet.h"

#include <QFile>
#include <QSignalSpy>
#include <QtTest>
#include <cstdio>
#include <stdexcept>

namespace {

class NoConnections : public ConnectionFactory
{
public:
    std::unique_ptr<Connection> create() override { return nullptr; }
};

// A window system that fails as soon as it is asked anything.
class BrokenUi : public ScriptedUi
{
public:
    bool isWindowOpen(Window) const override { throw std::runtime_error("no window system"); }
};

// Everything written to a temporary file, read back.
QString contentOf(std::FILE* file)
{
    std::fflush(file);
    std::rewind(file);
    QByteArray bytes;
    char buffer[512];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, file))
        bytes.append(buffer, static_cast<qsizetype>(n));
    return QString::fromLocal8Bit(bytes);
}

} // namespace

// The statistics sheet: what the transfers write and read back, and the window's load,
// without any window.
class TestStatisticsSheet : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aFreshSheetShowsACompletedTransfer()
    {
        TestProgram t;
        t.loadDeliveredPhrases();
        t.state().remoteSchemaVersion = QStringLiteral("8");
        t.ui.open.insert(Window::About);
        StatisticsSheet& sheet = t.program().statistics;
        sheet.show();
        QCOMPARE(t.ui.shown, QList<Window>{Window::Statistics});
        QVERIFY(!t.ui.open.contains(Window::About));
        QVERIFY(!t.ui.isBusy());
        QCOMPARE(sheet.progressBar(), 100);
        QCOMPARE(sheet.text(QStringLiteral("Function")), QStringLiteral("Transfer Completed"));
        QCOMPARE(sheet.text(QStringLiteral("Progress")), QStringLiteral("Successfully"));
        QCOMPARE(sheet.caption(QStringLiteral("Caption")),
                 QStringLiteral("Data Transfer Statistics"));
        QCOMPARE(sheet.caption(QStringLiteral("StatTitle")), QStringLiteral("Database Records"));
        QCOMPARE(sheet.caption(QStringLiteral("LabelCounter")), QStringLiteral("Running Counter"));
        QStringList captions;
        for (const QString& row : StatisticsSheet::rowNames()) {
            captions.append(sheet.caption(row));
            QVERIFY(sheet.isRowEnabled(row));
        }
        QCOMPARE(captions,
                 (QStringList{"Inventory", "Calibration", "Standards", "Cal Results",
                              "Full Results", "Raw Results", "Location", "Repair", "Customers",
                              "Totals", "Validation Values", "Linked Validation"}));
        QCOMPARE(sheet.leftTwips(), 975.0);
        QCOMPARE(sheet.topTwips(), 1980.0);
        for (const QString& name : StatisticsSheet::hideableNames())
            QVERIFY2(!sheet.isVisible(name), qPrintable(name));
        QVERIFY(!t.state().runningCounter);
        for (const QString& name : StatisticsSheet::textNames())
            if (name != QLatin1String("Function") && name != QLatin1String("Progress") &&
                name != QLatin1String("ProgressBar"))
                QVERIFY2(sheet.text(name).isEmpty(), qPrintable(name));
    }

    void debuggingMakesRoomForTheTrace()
    {
        TestProgram t;
        t.loadDeliveredPhrases();
        t.state().switchDebugging = true;
        StatisticsSheet& sheet = t.program().statistics;
        sheet.load();
        QCOMPARE(sheet.heightTwips(), StatisticsSheet::DebuggingHeightTwips);
        for (const char* name : {"Frame2", "Text_debugs", "Label_debugs"})
            QVERIFY(sheet.isVisible(QLatin1String(name)));
        QVERIFY(!sheet.isVisible(QStringLiteral("TextCounter")));
        QVERIFY(t.state().runningCounter);
        QCOMPARE(sheet.caption(QStringLiteral("Label_debugs")), QStringLiteral("Code Trace Info"));
    }

    void olderSchemasSwitchTwoRowsOff_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("resultsOn");
        QTest::newRow("6") << "6" << false;
        QTest::newRow("7") << "7" << true;
        QTest::newRow("8") << "8" << true;
        QTest::newRow("9") << "9" << true;
        QTest::newRow("version 10 sorts as 1") << "1" << false;
        QTest::newRow("unknown") << "" << false;
    }
    void olderSchemasSwitchTwoRowsOff()
    {
        QFETCH(QString, version);
        QFETCH(bool, resultsOn);
        TestProgram t;
        t.state().remoteSchemaVersion = version;
        StatisticsSheet& sheet = t.program().statistics;
        sheet.load();
        QCOMPARE(sheet.isRowEnabled(QStringLiteral("FullResults")), resultsOn);
        QCOMPARE(sheet.isRowEnabled(QStringLiteral("RawResults")), resultsOn);
        for (const char* row : {"Inventory", "Calibration", "Customers", "Totals"})
            QVERIFY(sheet.isRowEnabled(QLatin1String(row)));
    }

    void positionIsKept()
    {
        TestProgram t;
        StatisticsSheet& sheet = t.program().statistics;
        SaveRegSetting(t.program(), QStringLiteral("FormStatistics"), QStringLiteral("Left"),
                       QStringLiteral("1500"));
        SaveRegSetting(t.program(), QStringLiteral("FormStatistics"), QStringLiteral("Top"),
                       QString());
        sheet.load();
        QCOMPARE(sheet.leftTwips(), 1500.0);
        QCOMPARE(sheet.topTwips(), 1980.0);
        sheet.setPosition(2250, 3015.4);
        sheet.close();
        QVERIFY(!sheet.isLoaded());
        QCOMPARE(
            GetRegSetting(t.program(), QStringLiteral("FormStatistics"), QStringLiteral("Left")),
            QStringLiteral("2250"));
        QCOMPARE(
            GetRegSetting(t.program(), QStringLiteral("FormStatistics"), QStringLiteral("Top")),
            QStringLiteral("3015"));
        sheet.load();
        QCOMPARE(sheet.leftTwips(), 2250.0);
        QCOMPARE(sheet.topTwips(), 3015.0);
    }

    void everyNamedBoxExists()
    {
        QStringList expected;
        for (const char* prefix : {"Rtotal%1", "R%1number", "Mtotal%1", "M%1number"})
            for (const char* suffix :
                 {"inv", "cal", "std", "crs", "frs", "rrs", "loc", "rep", "cus", "vfd", "vld"})
                expected.append(QString::fromLatin1(prefix).arg(QLatin1String(suffix)));
        expected << "Rtotal"
                 << "Rdumptotal"
                 << "Mtotal"
                 << "Minsttotal"
                 << "Function"
                 << "Progress"
                 << "ProgressBar"
                 << "TextCounter"
                 << "Textmaxcounter"
                 << "Text_debugs"
                 << "dbrecords(0)";
        QStringList names = StatisticsSheet::textNames();
        names.sort();
        expected.sort();
        QCOMPARE(names, expected);
        QCOMPARE(StatisticsSheet::box(StatisticsSheet::Column::Rnumber, QStringLiteral("frs")),
                 QStringLiteral("Rfrsnumber"));
        QCOMPARE(StatisticsSheet::totalBox(StatisticsSheet::Column::Mnumber),
                 QStringLiteral("Minsttotal"));
    }

    void textInTextOut()
    {
        TestProgram t;
        StatisticsSheet& sheet = t.program().statistics;
        QSignalSpy changed(&sheet, &StatisticsSheet::changed);
        sheet.setText(QStringLiteral("Rtotalinv"), QStringLiteral("12"));
        sheet.setText(QStringLiteral("Rtotalinv"), QStringLiteral("12"));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.first().first().toString(), QStringLiteral("Rtotalinv"));
        QCOMPARE(sheet.number(QStringLiteral("Rtotalinv")), 12.0);

        sheet.setNumber(QStringLiteral("Rinvnumber"), 250000);
        QCOMPARE(sheet.text(QStringLiteral("Rinvnumber")), QStringLiteral("250000"));
        sheet.setText(QStringLiteral("Rtotalstd"), QStringLiteral("-3"));
        QCOMPARE(sheet.numberText(QStringLiteral("Rtotalstd")), QStringLiteral("-3"));
        QCOMPARE(sheet.numberText(QStringLiteral("Mcusnumber")), QStringLiteral("0"));
        sheet.setText(QStringLiteral("Mcusnumber"), QStringLiteral(" 7 rows"));
        QCOMPARE(sheet.numberText(QStringLiteral("Mcusnumber")), QStringLiteral("7"));

        sheet.setText(QStringLiteral("ProgressBar"), QStringLiteral("45"));
        QCOMPARE(sheet.progressBar(), 45);
        QCOMPARE(sheet.text(QStringLiteral("ProgressBar")), QStringLiteral("45"));
        sheet.setProgressBar(140);
        QCOMPARE(sheet.progressBar(), 100);
        sheet.setProgressBar(-5);
        QCOMPARE(sheet.progressBar(), 0);
        sheet.setText(QStringLiteral("ProgressBar"), QStringLiteral("1e300"));
        QCOMPARE(sheet.progressBar(), 100);

        // A long step moves the bar with its rows, never past the next step's value; the next
        // value set ends the span.
        sheet.setProgressBar(10);
        sheet.expectRows(40, 300);
        QList<int> seen;
        for (int row = 0; row < 400; ++row) {
            sheet.rowDone();
            if (seen.isEmpty() || seen.last() != sheet.progressBar())
                seen.append(sheet.progressBar());
        }
        QList<int> everyValue;
        for (int value = 10; value <= 40; ++value)
            everyValue.append(value);
        QCOMPARE(seen, everyValue);
        sheet.setProgressBar(40);
        sheet.rowDone();
        QCOMPARE(sheet.progressBar(), 40);

        sheet.setText(QStringLiteral("dbrecords(0)"), QStringLiteral(" Tables "));
        QCOMPARE(sheet.text(QStringLiteral("dbrecords(0)")), QStringLiteral(" Tables "));
        sheet.setVisible(QStringLiteral("Textmaxcounter"), true);
        QVERIFY(sheet.isVisible(QStringLiteral("Textmaxcounter")));

        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, sheet.text(QStringLiteral("Rtotalxyz")));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument,
                                 sheet.setText(QStringLiteral("Rtotalinventory"), QString()));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument,
                                 sheet.setVisible(QStringLiteral("Function"), false));
    }

    // The counts stay readable after the window closed; the next load starts afresh.
    void valuesOutliveTheWindowUntilTheNextLoad()
    {
        TestProgram t;
        StatisticsSheet& sheet = t.program().statistics;
        sheet.show();
        sheet.setText(QStringLiteral("Rcusnumber"), QStringLiteral("4"));
        sheet.show(); // already open: nothing is loaded again
        QCOMPARE(sheet.text(QStringLiteral("Rcusnumber")), QStringLiteral("4"));
        t.ui.closeWindow(Window::Statistics); // closed by someone else, as the connect dialog does
        QCOMPARE(sheet.text(QStringLiteral("Rcusnumber")), QStringLiteral("4"));
        sheet.show();
        QCOMPARE(sheet.text(QStringLiteral("Rcusnumber")), QString());
        QCOMPARE(sheet.progressBar(), 100);
        QCOMPARE(t.ui.shown.size(), 3);
    }

    void aFailedLoadIsReported()
    {
        BrokenUi ui;
        FakeClock clock;
        NoConnections none;
        Program program(ui, clock, none);
        int status = -1;
        try {
            program.statistics.load();
        } catch (const ProgramExit& exit) {
            status = exit.code();
        }
        QCOMPARE(status, 1);
        QFile log(logFilePath(program.state, QStringLiteral("errors.log")));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QString all = QString::fromUtf8(log.readAll());
        QVERIFY(all.mid(all.lastIndexOf(QLatin1String("****")))
                    .contains(QLatin1String("FormStatistics,FormLoad")));
    }

    // A few lines a second at most, and never without the last state.
    void progressLinesAreThrottledButComplete()
    {
        TestProgram t;
        StatisticsSheet& sheet = t.program().statistics;
        std::FILE* out = std::tmpfile();
        {
            StatisticsProgressLog progress(sheet, t.clock, out, 500);
            sheet.show();
            QCoreApplication::processEvents();
            QCOMPARE(contentOf(out), QString()); // the load alone is not a step
            // A step's changes come one after the other, then the transfer yields.
            sheet.setText(QStringLiteral("Function"), QStringLiteral("Insert NEW Records"));
            sheet.setText(QStringLiteral("Progress"), QStringLiteral("Counting"));
            sheet.setProgressBar(0);
            sheet.setText(QStringLiteral("Rtotalinv"), QStringLiteral("3"));
            QCoreApplication::processEvents();
            for (int step = 1; step <= 100; ++step) {
                t.clock.advance(10);
                sheet.setProgressBar(step);
                QCoreApplication::processEvents();
            }
            sheet.setText(QStringLiteral("Progress"), QStringLiteral("Done"));
        }
        const QStringList lines = contentOf(out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        std::fclose(out);
        QCOMPARE(lines.first(), QStringLiteral("[  0%] Insert NEW Records - Counting"));
        QVERIFY2(lines.size() >= 3 && lines.size() <= 5, qPrintable(lines.join(QLatin1Char('|'))));
        QCOMPARE(lines.last(), QStringLiteral("[100%] Insert NEW Records - Done"));
    }

    void noProgressNoLines()
    {
        TestProgram t;
        std::FILE* out = std::tmpfile();
        {
            StatisticsProgressLog progress(t.program().statistics, t.clock, out);
            t.program().statistics.setText(QStringLiteral("Rtotalinv"), QStringLiteral("3"));
            progress.flush();
        }
        QCOMPARE(contentOf(out), QString());
        std::fclose(out);
    }
};

VARROW_TEST_GUILESS_MAIN(TestStatisticsSheet)
#include "tst_statisticssheet.moc"
