#include "base/WindowPlacement.h"
#include "gui/FormStatistics.h"
#include "tests/support/TestMain.h"
#include "tests/support/TestProgram.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QtTest>

// The statistics window on the offscreen platform: it shows the sheet and follows it.
class TestFormStatistics : public QObject
{
    Q_OBJECT

    static std::unique_ptr<FormStatistics> open(TestProgram& t)
    {
        t.program().statistics.show();
        auto form = std::make_unique<FormStatistics>(t.program());
        form->show();
        return form;
    }

private Q_SLOTS:
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
        QCOMPARE(form->findChild<QLabel*>(QStringLiteral("Calresults"))->text(),
                 QStringLiteral("Cal Results"));
        QVERIFY(!form->findChild<QLabel*>(QStringLiteral("FullResults"))->isEnabled());
        QVERIFY(!form->findChild<QLineEdit*>(QStringLiteral("Rrrsnumber"))->isEnabled());
        QVERIFY(form->findChild<QLineEdit*>(QStringLiteral("Rinvnumber"))->isEnabled());
        QVERIFY(!form->findChild<QGroupBox*>(QStringLiteral("Frame2"))->isVisible());
        QVERIFY(!form->findChild<QLineEdit*>(QStringLiteral("TextCounter"))->isVisible());
        QCOMPARE(form->pos(), QPoint(twipsToPixels(975), twipsToPixels(1980)));
    }

    void followsTheSheet()
    {
        TestProgram t;
        t.loadDeliveredPhrases();
        auto form = open(t);
        StatisticsSheet& sheet = t.program().statistics;
        sheet.setText(QStringLiteral("dbrecords(0)"), t.program().phrase(413));
        sheet.setText(QStringLiteral("Rtotalcal"), QStringLiteral("17"));
        sheet.setText(QStringLiteral("Minsttotal"), QStringLiteral("3"));
        sheet.setProgressBar(35);
        sheet.setText(QStringLiteral("Function"),
                      QStringLiteral("Insert NEW Records Into Master Database"));
        sheet.setVisible(QStringLiteral("TextCounter"), true);
        sheet.setText(QStringLiteral("TextCounter"), QStringLiteral("9"));
        QCOMPARE(form->findChild<QLineEdit*>(QStringLiteral("Rtotalcal"))->text(),
                 QStringLiteral("17"));
        QCOMPARE(form->findChild<QLineEdit*>(QStringLiteral("Minsttotal"))->text(),
                 QStringLiteral("3"));
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
