#include "base/Locale.h"
#include "base/TextNumber.h"
#include "tests/support/TestMain.h"
#include "tests/support/TestProgram.h"

#include <QtTest>

class TestTextNumbers : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void invariantNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("thousands");
        QTest::addColumn<QString>("decimal");
        QTest::addColumn<QString>("expected");
        QTest::newRow("comma decimals") << "1.234,5"
                                        << "."
                                        << ","
                                        << "1234.5";
        QTest::newRow("point decimals") << "1,234,567.25"
                                        << ","
                                        << "."
                                        << "1234567.25";
        QTest::newRow("blank thousands") << "-12 345,75"
                                         << " "
                                         << ","
                                         << "-12345.75";
        QTest::newRow("nothing to do") << "42"
                                       << ","
                                       << "."
                                       << "42";
        QTest::newRow("no separators known") << "3.5"
                                             << ""
                                             << ""
                                             << "3.5";
    }
    void invariantNumber()
    {
        QFETCH(QString, text);
        QFETCH(QString, thousands);
        QFETCH(QString, decimal);
        QTEST(InvariantNumber(text, thousands, decimal), "expected");
    }

    void textNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("plain") << "975" << 975.0;
        QTest::newRow("blanks and trailing text") << "  1980 twips" << 1980.0;
        QTest::newRow("negative decimal") << "-12.5" << -12.5;
        QTest::newRow("exponent") << "1.5e3" << 1500.0;
        QTest::newRow("dangling exponent") << "7e" << 7.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("words") << "abc" << 0.0;
        QTest::newRow("sign only") << "-" << 0.0;
    }
    void textNumber()
    {
        QFETCH(QString, text);
        QTEST(::textNumber(text), "expected");
    }

    void localeSeparators()
    {
        TestProgram t;
        const QLocale german(QLocale::German, QLocale::Germany);
        QCOMPARE(GetLocaleInfo(t.program(), german, LocaleDecimalSeparator), QStringLiteral(","));
        QCOMPARE(GetLocaleInfo(t.program(), german, LocaleThousandsSeparator), QStringLiteral("."));
        const QLocale english(QLocale::English, QLocale::UnitedStates);
        QCOMPARE(GetLocaleInfo(t.program(), english, LocaleDecimalSeparator), QStringLiteral("."));
    }
};

VARROW_TEST_GUILESS_MAIN(TestTextNumbers)
#include "tst_textnumbers.moc"
