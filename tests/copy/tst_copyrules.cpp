#include "copy/Catalogue.h"
#include "copy/FieldFormat.h"
#include "copy/FieldTypeCache.h"
#include "copy/SqlLiteral.h"
#include "copy/SyncErrorLog.h"
#include "copy/TempTables.h"
#include "tests/support/TestMain.h"

#include <QtTest>

Q_DECLARE_METATYPE(DbValue)

// The rules of the table-copy engine that need no database: how a value is written into a
// statement, which format a domain has, how temporary tables are declared, what a sync
// error block looks like and how much the column cache keeps.
class TestCopyRules : public QObject
{
    Q_OBJECT

    static FieldFormat format(int code, bool binary = false) { return {code, binary}; }

private Q_SLOTS:
    void literals_data()
    {
        QTest::addColumn<DbValue>("value");
        QTest::addColumn<FieldFormat>("format");
        QTest::addColumn<QString>("expected"); // "<fails>": the value cannot be written

        const DbValue null;
        for (int code = 0; code <= 5; ++code)
            QTest::addRow("null, code %d", code) << null << format(code) << "NULL";
        QTest::newRow("null binary") << null << format(2, true) << "NULL";

        QTest::newRow("apostrophe in text") << DbValue("O'Brien") << format(0) << "'O''Brien'";
        QTest::newRow("apostrophe in a verbatim column")
            << DbValue("O'Brien") << format(3) << "'O''Brien'";
        QTest::newRow("empty text stays a text") << DbValue("") << format(0) << "''";
        QTest::newRow("blanks kept") << DbValue("  A ") << format(0) << "'  A '";
        QTest::newRow("non-ASCII text")
            << DbValue(QStringLiteral("Käufer: Größe µ, Øre, 日本")) << format(4)
            << QStringLiteral("'Käufer: Größe µ, Øre, 日本'");

        QTest::newRow("decimals") << DbValue("1234.5") << format(2) << "'1234.5'";
        QTest::newRow("negative") << DbValue("-0.25") << format(2) << "'-0.25'";
        QTest::newRow("large") << DbValue("123456789012345678901234.5678") << format(2)
                               << "'123456789012345678901234.5678'";
        QTest::newRow("exponent") << DbValue("1.1e-05") << format(2) << "'1.1e-05'";
        QTest::newRow("integer") << DbValue("40835") << format(2) << "'40835'";
        QTest::newRow("quote in a number cannot end the literal")
            << DbValue("1'2") << format(2) << "'1''2'";

        QTest::newRow("date") << DbValue("2011-06-14") << format(1) << "'2011-06-14'";
        QTest::newRow("date completed") << DbValue("2011-6-4") << format(1) << "'2011-06-04'";
        QTest::newRow("date of a timestamp text")
            << DbValue("2011-06-14 13:45:00.000") << format(1) << "'2011-06-14'";
        QTest::newRow("no such day") << DbValue("2011-02-30") << format(1) << "<fails>";
        QTest::newRow("not a date") << DbValue("next week") << format(1) << "<fails>";

        QTest::newRow("timestamp with milliseconds")
            << DbValue("2023-10-16 17:20:48.905") << format(5) << "'2023-10-16 17:20:48.905'";
        QTest::newRow("timestamp without fraction")
            << DbValue("2023-10-16 17:20:48") << format(5) << "'2023-10-16 17:20:48.000'";
        QTest::newRow("timestamp with a tenth")
            << DbValue("2023-10-16 17:20:48.9") << format(5) << "'2023-10-16 17:20:48.900'";
        QTest::newRow("microseconds kept")
            << DbValue("2023-10-16 17:20:48.123456") << format(5) << "'2023-10-16 17:20:48.123456'";
        QTest::newRow("timestamp of a date")
            << DbValue("2023-10-16") << format(5) << "'2023-10-16 00:00:00.000'";
        QTest::newRow("timestamp without seconds")
            << DbValue("2023-10-16T07:05") << format(5) << "'2023-10-16 07:05:00.000'";
        QTest::newRow("no such hour") << DbValue("2023-10-16 25:00:00") << format(5) << "<fails>";

        QTest::newRow("time") << DbValue("10:15:00") << format(3) << "'10:15:00'";

        // Binary values in the engine's own literal, whichever way the driver wrote them.
        QTest::newRow("binary as the driver writes it")
            << DbValue("X'DB98D61E0FF0F569'") << format(2, true) << "0xDB98D61E0FF0F569";
        QTest::newRow("binary as bare digits")
            << DbValue("db98d61e") << format(2, true) << "0xDB98D61E";
        QTest::newRow("binary with 0x, odd digits")
            << DbValue("0xa01") << format(2, true) << "0x0A01";
        QTest::newRow("empty binary") << DbValue("X''") << format(2, true) << "0x";
        QTest::newRow("variable binary") << DbValue("00FF") << format(0, true) << "0x00FF";
        QTest::newRow("not binary") << DbValue("zz") << format(2, true) << "<fails>";
        QTest::newRow("a quote is no binary")
            << DbValue("X'00'';drop table t;--'") << format(2, true) << "<fails>";

        QTest::newRow("unknown code") << DbValue("x") << format(7) << "";
    }
    void literals()
    {
        QFETCH(DbValue, value);
        QFETCH(FieldFormat, format);
        QFETCH(QString, expected);
        const std::optional<QString> literal = fieldLiteral(value, format);
        if (expected == QLatin1String("<fails>")) {
            QVERIFY2(!literal, qPrintable(literal.value_or(QString())));
            const DbError failure = conversionError(value.value_or(QString()), format);
            QCOMPARE(failure.number(), 13L);
            QVERIFY(failure.description().startsWith(QLatin1String("Type mismatch")));
        } else {
            QVERIFY(literal);
            QCOMPARE(*literal, expected);
        }
    }

    // A long text arrives whole and leaves whole, its quotes doubled wherever they stand.
    void longTextIsWrittenWhole()
    {
        QString text;
        for (int i = 0; i < 100000; ++i)
            text += QChar(i % 977 == 0 ? u'\'' : QChar(u'a' + i % 26));
        const std::optional<QString> literal = fieldLiteral(text, format(4));
        QVERIFY(literal);
        const int quotes = static_cast<int>(text.count(QLatin1Char('\'')));
        QCOMPARE(literal->size(), text.size() + quotes + 2);
        QCOMPARE(
            literal->mid(1, literal->size() - 2).replace(QStringLiteral("''"), QStringLiteral("'")),
            text);
    }

    void conversionErrorShowsOnlyTheStartOfAValue()
    {
        const DbError e = conversionError(QString(500, QLatin1Char('x')), format(1));
        QVERIFY(e.description().size() < 120);
        QVERIFY(e.description().contains(QLatin1String("a date")));
    }

    void domains_data()
    {
        QTest::addColumn<QString>("domain");
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("binary");
        QTest::newRow("char") << "char" << 0 << false;
        QTest::newRow("varchar") << "VARCHAR" << 0 << false;
        QTest::newRow("date") << "date" << 1 << false;
        for (const char* number :
             {"smallint", "integer", "numeric", "decimal", "float", "double", "tinyint"})
            QTest::newRow(number) << number << 2 << false;
        QTest::newRow("binary") << "binary" << 2 << true;
        QTest::newRow("long binary") << "Long Binary" << 2 << true;
        QTest::newRow("time") << "time" << 3 << false;
        QTest::newRow("long varchar") << "long varchar" << 4 << false;
        QTest::newRow("timestamp") << " timestamp " << 5 << false;
        QTest::newRow("bigint is not listed") << "bigint" << 0 << false;
        QTest::newRow("varbinary keeps its bytes") << "varbinary" << 0 << true;
        QTest::newRow("empty") << "" << 0 << false;
    }
    void domains()
    {
        QFETCH(QString, domain);
        QFETCH(int, code);
        QFETCH(bool, binary);
        QCOMPARE(FieldFormat::forDomain(domain), (FieldFormat{code, binary}));
    }

    void resultColumnNames_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("column");
        QTest::newRow("plain") << "i4201"
                               << "i4201";
        QTest::newRow("long text cast") << "cast(i4218 AS char(32767))"
                                        << "i4218";
        QTest::newRow("any case and spacing") << " CAST( c2312 as CHAR(32767) ) "
                                              << "c2312";
        QTest::newRow("expression inside") << "cast(a+b AS char(10))"
                                           << "cast(a+b AS char(10))";
        QTest::newRow("other function") << "max(mtag)"
                                        << "max(mtag)";
    }
    void resultColumnNames()
    {
        QFETCH(QString, field);
        QTEST(resultColumnName(field), "column");
    }

    void temporaryColumnTypes_data()
    {
        QTest::addColumn<QString>("domain");
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("scale");
        QTest::addColumn<QString>("clause");
        QTest::newRow("char") << "char"
                              << "20"
                              << "0"
                              << " CHAR(20)";
        QTest::newRow("integer") << "integer"
                                 << "4"
                                 << "0"
                                 << " INT";
        QTest::newRow("numeric") << "numeric"
                                 << "10"
                                 << "2"
                                 << " NUMERIC(10,2)";
        QTest::newRow("decimal") << "decimal"
                                 << "12"
                                 << "3"
                                 << " NUMERIC(12,3)";
        QTest::newRow("double") << "double"
                                << "8"
                                << "0"
                                << " DOUBLE";
        QTest::newRow("date") << "date"
                              << "4"
                              << "0"
                              << " DATE";
        QTest::newRow("timestamp") << "timestamp"
                                   << "8"
                                   << "0"
                                   << " TIMESTAMP";
        QTest::newRow("long varchar") << "long varchar"
                                      << "32767"
                                      << "0"
                                      << " LONG VARCHAR";
        QTest::newRow("time") << "time"
                              << "8"
                              << "0"
                              << " TIME";
        QTest::newRow("varchar") << "varchar"
                                 << "80"
                                 << "0"
                                 << " VARCHAR(80)";
        QTest::newRow("smallint") << "smallint"
                                  << "2"
                                  << "0"
                                  << " SMALLINT";
        QTest::newRow("tinyint") << "tinyint"
                                 << "1"
                                 << "0"
                                 << " TINYINT";
        QTest::newRow("float") << "float"
                               << "4"
                               << "0"
                               << " FLOAT";
        QTest::newRow("binary") << "binary"
                                << "8"
                                << "0"
                                << " BINARY(8)";
        QTest::newRow("varbinary") << "varbinary"
                                   << "16"
                                   << "0"
                                   << " VARBINARY(16)";
        QTest::newRow("long binary") << "long binary"
                                     << "32767"
                                     << "0"
                                     << " LONG BINARY";
        QTest::newRow("bigint") << "bigint"
                                << "8"
                                << "0"
                                << " BIGINT";
        QTest::newRow("bit") << "bit"
                             << "1"
                             << "0"
                             << " BIT";
        QTest::newRow("no domain") << ""
                                   << "0"
                                   << "0"
                                   << " LONG VARCHAR";
    }
    void temporaryColumnTypes()
    {
        QFETCH(QString, domain);
        QFETCH(QString, width);
        QFETCH(QString, scale);
        QTEST(temporaryColumnType(domain, width, scale), "clause");
    }

    void temporaryTableDeclaration()
    {
        const QList<CatalogueColumn> columns = {
            {QStringLiteral("mtag"), QStringLiteral("'x'"), QStringLiteral("N"),
             QStringLiteral("char"), QStringLiteral("20"), QStringLiteral("0")},
            {QStringLiteral("c2301"), std::nullopt, QStringLiteral("Y"), QStringLiteral("date"),
             QStringLiteral("4"), QStringLiteral("0")},
            {QStringLiteral("c2339"), QStringLiteral("0"), QStringLiteral("n"),
             QStringLiteral("tinyint"), QStringLiteral("1"), QStringLiteral("0")},
        };
        QCOMPARE(::temporaryTableDeclaration(QStringLiteral("calibration"), columns),
                 QStringLiteral("declare local temporary table temp_calibration (mtag CHAR(20) "
                                "DEFAULT 'x' NOT NULL,c2301 DATE,c2339 TINYINT DEFAULT 0 NOT NULL) "
                                "on commit preserve rows"));
    }

    void syncErrorBlock()
    {
        const QDateTime at(QDate(2011, 6, 14), QTime(9, 30, 5));
        QCOMPARE(
            ::syncErrorBlock(
                at, QStringLiteral("-193 Primary key not unique"),
                QStringLiteral("select * from a;insert into b (k) values ('1');commit"),
                QStringLiteral("CopyToDestTable")),
            QStringLiteral(
                "[2011-06-14 09:30:05] **********\r\n"
                "[2011-06-14 09:30:05] -193 Primary key not unique\r\n"
                "[2011-06-14 09:30:05] select * from a;insert into b (k) values ('1');commit\r\n"
                "[2011-06-14 09:30:05] CopyToDestTable\r\n"));
    }

    void cacheKeepsTwoThousandNames()
    {
        FieldTypeCache cache;
        for (int i = 0; i < FieldTypeCache::Capacity; ++i)
            QVERIFY(cache.store(QStringLiteral("col%1").arg(i), {i % 6, false}));
        QVERIFY(!cache.store(QStringLiteral("one_more"), {FieldFormat::Date, false}));
        QCOMPARE(cache.size(), 2000);
        QVERIFY(!cache.find(QStringLiteral("one_more")));
        QCOMPARE(cache.find(QStringLiteral("COL1999")),
                 std::optional<FieldFormat>(FieldFormat{1999 % 6, false}));
    }
};

VARROW_TEST_GUILESS_MAIN(TestCopyRules)
#include "tst_copyrules.moc"
