#include "base/ProgramExit.h"
#include "db/DbError.h"
#include "tests/support/TestMain.h"

#include <QtTest>
#include <stdexcept>

// Exceptions that escape test functions. CheckTestMain.cmake runs this program and reads
// its output: each escape fails its own function or row, and the functions after it run.
class TestTestMain : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aProgramExitFailsItsFunction() { throw ProgramExit(3); }

    void otherExceptionsFailTheirRow_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("DbError") << 0;
        QTest::newRow("runtime_error") << 1;
        QTest::newRow("passes") << 2;
    }
    void otherExceptionsFailTheirRow()
    {
        QFETCH(int, kind);
        if (kind == 0)
            throw DbError(-193, QStringLiteral("Primary key not unique"), QStringLiteral("23000"));
        if (kind == 1)
            throw std::runtime_error("disk full");
    }

    void laterFunctionsStillRun() { QVERIFY(true); }
};

VARROW_TEST_GUILESS_MAIN(TestTestMain)
#include "tst_testmain.moc"
