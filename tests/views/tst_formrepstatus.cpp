#include "base/WindowPlacement.h"
#include "gui/FormRepStatus.h"
#include "tests/support/TestMain.h"
#include "tests/support/TestProgram.h"

#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QtTest>

// The replication status window on the offscreen platform: captions from the phrases, the
// boxes in their order, read-only, following the sheet; placed at the top-left corner.
class TestFormRepStatus : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void showsAndFollowsTheSheet()
    {
        TestProgram t;
        t.loadDeliveredPhrases();
        RepStatusSheet& sheet = t.program().repStatus;
        sheet.load(t.state().phrases);
        sheet.setPassNumber(QStringLiteral("2"));

        QMdiArea area;
        area.resize(1000, 800);
        auto* form = new FormRepStatus(sheet);
        QMdiSubWindow* window = area.addSubWindow(form);
        window->move(300, 200);
        area.show();
        window->show();

        QCOMPARE(form->windowTitle(), QStringLiteral("Replication Status"));
        QCOMPARE(form->findChild<QLabel*>(QStringLiteral("Label1"))->text(),
                 QStringLiteral("Present Status"));
        QCOMPARE(form->findChild<QLabel*>(QStringLiteral("Label2"))->text(),
                 QStringLiteral("Progress Information"));
        QCOMPARE(form->findChild<QLabel*>(QStringLiteral("Label3"))->text(),
                 QStringLiteral("Pass No.:"));
        QCOMPARE(form->findChild<QLineEdit*>(QStringLiteral("Text12"))->text(),
                 QStringLiteral("2"));
        QCOMPARE(window->pos(), QPoint(0, 0));
        QVERIFY(form->width() <= twipsToPixels(RepStatusSheet::WidthTwips));
        QVERIFY(form->height() <= twipsToPixels(RepStatusSheet::HeightTwips));

        sheet.setResultLine(4, QStringLiteral("Varrow stand-in Backup Utility"));
        sheet.setPresentStatus(QStringLiteral("Database backup completed"));
        auto* line4 = form->findChild<QLineEdit*>(QStringLiteral("Text7"));
        QCOMPARE(line4->text(), QStringLiteral("Varrow stand-in Backup Utility"));
        QVERIFY(line4->isReadOnly());
        QCOMPARE(form->findChild<QLineEdit*>(QStringLiteral("Text1"))->text(),
                 QStringLiteral("Database backup completed"));

        // The boxes stand top to bottom in the window's order.
        int above = -1;
        for (const QString& name : RepStatusSheet::boxNames()) {
            auto* box = form->findChild<QLineEdit*>(name);
            QVERIFY2(box, qPrintable(name));
            QVERIFY2(box->y() > above, qPrintable(name));
            above = box->y();
        }
    }
};

VARROW_TEST_MAIN(TestFormRepStatus)
#include "tst_formrepstatus.moc"
