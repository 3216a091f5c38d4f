#include "db/DbErrors.h"
#include "db/OdbcConnection.h"
#include "tests/support/SqliteTestDataSource.h"
#include "tests/support/TestMain.h"
#include "tests/support/TestSupport.h"

#include <QTest>

using testsupport::thrownBy;

namespace {

// The cursor's state as one comparable text: "bof eof position".
QString where(const Recordset& recordset)
{
    return QStringLiteral("%1 %2 %3")
        .arg(recordset.bof() ? "BOF" : "-", recordset.eof() ? "EOF" : "-")
        .arg(recordset.absolutePosition());
}

} // namespace

class TestRecordset : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void walksEveryRowOnce_data();
    void walksEveryRowOnce();
    void staticCursorMovesFreely();
    void forwardOnlyCursorOnlyMovesOn();
    void emptyResultsAreBofAndEof_data();
    void emptyResultsAreBofAndEof();
    void statementsWithoutColumnsGiveAnEmptyResult_data();
    void statementsWithoutColumnsGiveAnEmptyResult();
    void requeryReadsTheDataAgain_data();
    void requeryReadsTheDataAgain();
    void moveCompleteFollowsEveryChangeOfRow();

    void valuesArriveAsText_data();
    void valuesArriveAsText();
    void textGoesBackByteForByte_data();
    void textGoesBackByteForByte();
    void fieldsByIndexAndByName();
    void fieldsNeedACurrentRow();
    void aClosedResultSetRefusesUse();
    void writesMayRunWhileAResultIsRead();

private:
    std::unique_ptr<SqliteTestDataSource> m_source;
    std::unique_ptr<OdbcConnection> m_connection;
};

void TestRecordset::initTestCase()
{
    m_source = std::make_unique<SqliteTestDataSource>();
    QVERIFY2(m_source->isValid(), qPrintable(m_source->error()));
    m_connection = m_source->open();
    QCOMPARE(m_connection->state(), 1);
    m_connection->execute(QStringLiteral("create table five(n integer, label text)"));
    for (int n = 1; n <= 5; ++n)
        m_connection->execute(QStringLiteral("insert into five values(%1, 'row %1')").arg(n));
    m_connection->execute(QStringLiteral("create table one(n integer)"));
    m_connection->execute(QStringLiteral("insert into one values(1)"));
    m_connection->execute(QStringLiteral("create table none(n integer)"));
}

void TestRecordset::walksEveryRowOnce_data()
{
    QTest::addColumn<CursorType>("type");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("expected");

    const QStringList five = {"1", "2", "3", "4", "5"};
    QTest::newRow("forward-only, five rows") << CursorType::ForwardOnly << "five" << five;
    QTest::newRow("static, five rows") << CursorType::Static << "five" << five;
    QTest::newRow("forward-only, one row") << CursorType::ForwardOnly << "one" << QStringList{"1"};
    QTest::newRow("static, one row") << CursorType::Static << "one" << QStringList{"1"};
    QTest::newRow("forward-only, no row") << CursorType::ForwardOnly << "none" << QStringList();
    QTest::newRow("static, no row") << CursorType::Static << "none" << QStringList();
}

void TestRecordset::walksEveryRowOnce()
{
    QFETCH(CursorType, type);
    QFETCH(QString, table);
    QFETCH(QStringList, expected);
    const bool isStatic = type == CursorType::Static;

    std::unique_ptr<Recordset> rows =
        m_connection->openRecordset(QStringLiteral("select n from %1 order by n").arg(table), type);
    QCOMPARE(rows->recordCount(), isStatic ? long(expected.size()) : -1L);
    QStringList seen;
    QStringList positions;
    while (!rows->eof()) {
        QVERIFY(!rows->bof());
        seen.append(*rows->value(0));
        positions.append(QString::number(rows->absolutePosition()));
        rows->moveNext();
    }
    QCOMPARE(seen, expected);
    QStringList expectedPositions;
    for (qsizetype i = 0; i < expected.size(); ++i)
        expectedPositions.append(isStatic ? QString::number(i + 1) : QStringLiteral("-1"));
    QCOMPARE(positions, expectedPositions);

    // Past the end: EOF stays, a further move is refused.
    QVERIFY(rows->eof());
    QCOMPARE(rows->bof(), expected.isEmpty());
    QCOMPARE(rows->absolutePosition(),
             isStatic && !expected.isEmpty() ? PositionEof : PositionUnknown);
    const std::optional<DbError> error = thrownBy([&] { rows->moveNext(); });
    QVERIFY(error);
    QCOMPARE(error->number(), DbErrors::NoCurrentRecord);
}

void TestRecordset::staticCursorMovesFreely()
{
    std::unique_ptr<Recordset> rows = m_connection->openRecordset(
        QStringLiteral("select n from five order by n"), CursorType::Static);
    QCOMPARE(where(*rows), QStringLiteral("- - 1"));
    rows->moveLast();
    QCOMPARE(where(*rows), QStringLiteral("- - 5"));
    QCOMPARE(rows->value(0), DbValue(QStringLiteral("5")));
    rows->moveNext();
    QCOMPARE(where(*rows), QStringLiteral("- EOF -3"));
    rows->movePrevious(); // back from after the last row onto it
    QCOMPARE(where(*rows), QStringLiteral("- - 5"));
    rows->moveFirst();
    QCOMPARE(where(*rows), QStringLiteral("- - 1"));
    rows->movePrevious();
    QCOMPARE(where(*rows), QStringLiteral("BOF - -2"));
    QCOMPARE(thrownBy([&] { rows->movePrevious(); })->number(), DbErrors::NoCurrentRecord);
    rows->moveNext(); // from before the first row onto it
    QCOMPARE(where(*rows), QStringLiteral("- - 1"));
    rows->moveNext();
    rows->moveNext();
    QCOMPARE(rows->value(0), DbValue(QStringLiteral("3")));
    rows->movePrevious();
    QCOMPARE(rows->value(0), DbValue(QStringLiteral("2")));
    rows->moveLast();
    rows->moveNext();
    rows->moveFirst(); // from after the last row
    QCOMPARE(where(*rows), QStringLiteral("- - 1"));
    QCOMPARE(rows->recordCount(), 5L);

    // One row: first and last are the same.
    std::unique_ptr<Recordset> single =
        m_connection->openRecordset(QStringLiteral("select n from one"), CursorType::Static);
    single->moveLast();
    QCOMPARE(where(*single), QStringLiteral("- - 1"));
    single->movePrevious();
    QCOMPARE(where(*single), QStringLiteral("BOF - -2"));
    single->moveLast();
    single->moveNext();
    QCOMPARE(where(*single), QStringLiteral("- EOF -3"));
}

void TestRecordset::forwardOnlyCursorOnlyMovesOn()
{
    std::unique_ptr<Recordset> rows =
        m_connection->openRecordset(QStringLiteral("select n from five order by n"));
    QCOMPARE(where(*rows), QStringLiteral("- - -1"));
    rows->moveFirst(); // already on the first row: allowed
    QCOMPARE(rows->value(0), DbValue(QStringLiteral("1")));
    for (const auto& backwards :
         QList<std::function<void()>>{[&] { rows->movePrevious(); }, [&] { rows->moveLast(); }}) {
        const std::optional<DbError> error = thrownBy(backwards);
        QVERIFY(error);
        QCOMPARE(error->number(), DbErrors::NotSupported);
    }
    rows->moveNext();
    QCOMPARE(thrownBy([&] { rows->moveFirst(); })->number(), DbErrors::NotSupported);
    QCOMPARE(rows->value(0), DbValue(QStringLiteral("2"))); // the refused moves left it in place
    QCOMPARE(rows->recordCount(), -1L);
}

void TestRecordset::emptyResultsAreBofAndEof_data()
{
    testsupport::addCursorTypeRows();
}

void TestRecordset::emptyResultsAreBofAndEof()
{
    QFETCH(CursorType, type);
    std::unique_ptr<Recordset> rows =
        m_connection->openRecordset(QStringLiteral("select n from none"), type);
    QVERIFY(rows->bof());
    QVERIFY(rows->eof());
    QCOMPARE(rows->absolutePosition(), PositionUnknown);
    QCOMPARE(rows->fieldCount(), 1);
    QCOMPARE(rows->fieldName(0), QStringLiteral("n"));
    for (const auto& move : QList<std::function<void()>>{
             [&] { rows->moveNext(); }, [&] { rows->moveFirst(); }, [&] { rows->value(0); }}) {
        const std::optional<DbError> error = thrownBy(move);
        QVERIFY(error);
        QCOMPARE(error->number(), DbErrors::NoCurrentRecord);
    }
    if (type == CursorType::Static) {
        QVERIFY(thrownBy([&] { rows->moveLast(); }));
        QVERIFY(thrownBy([&] { rows->movePrevious(); }));
        QCOMPARE(rows->recordCount(), 0L);
    }
    QVERIFY(rows->bof() && rows->eof());
}

void TestRecordset::statementsWithoutColumnsGiveAnEmptyResult_data()
{
    testsupport::addCursorTypeRows();
}

void TestRecordset::statementsWithoutColumnsGiveAnEmptyResult()
{
    QFETCH(CursorType, type);
    m_connection->execute(QStringLiteral("create table if not exists updated(n integer)"));
    m_connection->execute(QStringLiteral("delete from updated"));
    std::unique_ptr<Recordset> result =
        m_connection->openRecordset(QStringLiteral("insert into updated values(9)"), type);
    QCOMPARE(result->fieldCount(), 0);
    QVERIFY(result->bof() && result->eof());
    QCOMPARE(result->absolutePosition(), PositionUnknown);
    std::unique_ptr<Recordset> check =
        m_connection->openRecordset(QStringLiteral("select count(*) from updated"));
    QCOMPARE(check->value(0), DbValue(QStringLiteral("1")));
}

void TestRecordset::requeryReadsTheDataAgain_data()
{
    testsupport::addCursorTypeRows();
}

void TestRecordset::requeryReadsTheDataAgain()
{
    QFETCH(CursorType, type);
    m_connection->execute(QStringLiteral("create table if not exists growing(n integer)"));
    m_connection->execute(QStringLiteral("delete from growing"));
    std::unique_ptr<Recordset> rows =
        m_connection->openRecordset(QStringLiteral("select n from growing order by n"), type);
    QVERIFY(rows->eof());

    m_connection->execute(QStringLiteral("insert into growing values(1)"));
    m_connection->execute(QStringLiteral("insert into growing values(2)"));
    rows->requery();
    QVERIFY(!rows->bof() && !rows->eof());
    QCOMPARE(rows->value(0), DbValue(QStringLiteral("1")));
    rows->moveNext();
    rows->moveNext();
    QVERIFY(rows->eof());

    m_connection->execute(QStringLiteral("delete from growing where n = 1"));
    rows->requery(); // from past the end back to the (new) first row
    QCOMPARE(rows->value(0), DbValue(QStringLiteral("2")));
    if (type == CursorType::Static) {
        QCOMPARE(rows->recordCount(), 1L);
        QCOMPARE(rows->absolutePosition(), 1L);
    }
}

void TestRecordset::moveCompleteFollowsEveryChangeOfRow()
{
    std::unique_ptr<Recordset> rows = m_connection->openRecordset(
        QStringLiteral("select n from five order by n"), CursorType::Static);
    QList<long> positions;
    rows->setMoveCompleteHandler([&] { positions.append(rows->absolutePosition()); });
    rows->moveNext();
    rows->moveLast();
    rows->moveNext();
    rows->movePrevious();
    rows->moveFirst();
    rows->movePrevious();
    QVERIFY(thrownBy([&] { rows->movePrevious(); })); // refused: no notification
    rows->requery();
    QCOMPARE(positions, (QList<long>{2, 5, PositionEof, 5, 1, PositionBof, 1}));

    std::unique_ptr<Recordset> streaming =
        m_connection->openRecordset(QStringLiteral("select n from one"));
    int calls = 0;
    streaming->setMoveCompleteHandler([&] { ++calls; });
    streaming->moveNext();
    QCOMPARE(calls, 1);
}

void TestRecordset::valuesArriveAsText_data()
{
    QTest::addColumn<CursorType>("type");
    QTest::addColumn<QString>("literal");
    QTest::addColumn<DbValue>("expected");

    const QString nonAscii = QStringLiteral("Grüße, Øre, € 日本 😀 ﬁ");
    // Long enough to need many reads from the driver, with letters that take two UTF-16 units
    // so a read boundary falls inside some of them.
    QString longText;
    while (longText.size() < 100000)
        longText += QStringLiteral("ab😀ä€xyz");
    longText.truncate(100000);

    for (CursorType type : {CursorType::ForwardOnly, CursorType::Static}) {
        const char* cursor = type == CursorType::Static ? "static" : "forward-only";
        QTest::addRow("%s: NULL", cursor) << type << "null" << DbValue();
        QTest::addRow("%s: empty text", cursor) << type << "''" << DbValue(QString());
        QTest::addRow("%s: blanks", cursor) << type << "'  '" << DbValue(QStringLiteral("  "));
        QTest::addRow("%s: integer", cursor) << type << "42" << DbValue(QStringLiteral("42"));
        QTest::addRow("%s: negative", cursor) << type << "-7" << DbValue(QStringLiteral("-7"));
        QTest::addRow("%s: real", cursor) << type << "1.5" << DbValue(QStringLiteral("1.5"));
        QTest::addRow("%s: apostrophe", cursor)
            << type << "'O''Brien'" << DbValue(QStringLiteral("O'Brien"));
        QTest::addRow("%s: line breaks and tabs", cursor)
            << type << "'a' || char(10) || 'b' || char(9) || 'c'"
            << DbValue(QStringLiteral("a\nb\tc"));
        QTest::addRow("%s: non-ASCII", cursor) << type << "'" + nonAscii + "'" << DbValue(nonAscii);
        QTest::addRow("%s: 100,000 characters", cursor)
            << type << "'" + longText + "'" << DbValue(longText);
    }
}

void TestRecordset::valuesArriveAsText()
{
    QFETCH(CursorType, type);
    QFETCH(QString, literal);
    QFETCH(DbValue, expected);

    m_connection->execute(QStringLiteral("create table if not exists texts(v)"));
    m_connection->execute(QStringLiteral("delete from texts"));
    m_connection->execute(QStringLiteral("insert into texts values(%1)").arg(literal));
    std::unique_ptr<Recordset> rows =
        m_connection->openRecordset(QStringLiteral("select v, length(v) from texts"), type);
    const DbValue value = rows->value(0);
    QCOMPARE(value.has_value(), expected.has_value());
    if (expected) {
        QCOMPARE(value->size(), expected->size());
        QVERIFY(*value == *expected);
        // The engine holds proper text: it counts the same characters as the program does.
        QCOMPARE(rows->value(1), DbValue(QString::number(expected->toUcs4().size())));
        // And the text compares equal to the literal in a statement.
        std::unique_ptr<Recordset> matches = m_connection->openRecordset(
            QStringLiteral("select count(*) from texts where v = %1").arg(literal));
        QCOMPARE(matches->value(0), DbValue(QStringLiteral("1")));
    } else {
        QCOMPARE(rows->value(1), DbValue());
    }
}

void TestRecordset::textGoesBackByteForByte_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("UTF-8") << QByteArray("Gr\xC3\xBC\xC3\x9F"
                                         "e \xF0\x9F\x98\x80");
    QTest::newRow("Latin-1") << QByteArray("Caf\xE9 cr\xE8me \xFF");
    QTest::newRow("cut sequences and stray continuations") << QByteArray("\xE2\x82 \x80\xBF \xC3");
    QTest::newRow("overlong and surrogate forms") << QByteArray("\xC0\xAF\xED\xA0\x80");
    // Long enough to need many reads from the driver, with kept bytes on the read boundaries.
    QByteArray longText;
    while (longText.size() < 50000)
        longText += QByteArray("ab\xE9\xC3\xA9\xF0\x9F\x98\x80\xFF");
    QTest::newRow("50,000 bytes") << longText;
}

// A text the engine holds, read and written back through a literal, arrives as the same bytes,
// whether or not they are UTF-8.
void TestRecordset::textGoesBackByteForByte()
{
    QFETCH(QByteArray, bytes);
    m_connection->execute(QStringLiteral("create table if not exists bytes(original, copy)"));
    m_connection->execute(QStringLiteral("delete from bytes"));
    m_connection->execute(QStringLiteral("insert into bytes(original) values(cast(X'%1' as text))")
                              .arg(QString::fromLatin1(bytes.toHex())));
    const DbValue value =
        m_connection->openRecordset(QStringLiteral("select original from bytes"))->value(0);
    QVERIFY(value);
    m_connection->execute(
        QStringLiteral("update bytes set copy='%1'")
            .arg(QString(*value).replace(QLatin1Char('\''), QLatin1String("''"))));
    std::unique_ptr<Recordset> check = m_connection->openRecordset(
        QStringLiteral("select hex(copy), typeof(copy), copy = original from bytes"));
    QCOMPARE(check->value(0), DbValue(QString::fromLatin1(bytes.toHex().toUpper())));
    QCOMPARE(check->value(1), DbValue(QStringLiteral("text")));
    QCOMPARE(check->value(2), DbValue(QStringLiteral("1")));
}

void TestRecordset::fieldsByIndexAndByName()
{
    std::unique_ptr<Recordset> rows = m_connection->openRecordset(
        QStringLiteral("select n, label as Asset_Number, label from five where n = 2"));
    QCOMPARE(rows->fieldCount(), 3);
    QCOMPARE(rows->fieldName(0), QStringLiteral("n"));
    QCOMPARE(rows->fieldName(1), QStringLiteral("Asset_Number"));
    QCOMPARE(rows->value(0), DbValue(QStringLiteral("2")));
    QCOMPARE(rows->value(QStringLiteral("N")), DbValue(QStringLiteral("2")));
    QCOMPARE(rows->value(QStringLiteral("asset_number")), DbValue(QStringLiteral("row 2")));
    QCOMPARE(rows->value(QStringLiteral("ASSET_NUMBER")), DbValue(QStringLiteral("row 2")));

    const QList<std::function<void()>> missing = {
        [&] { rows->value(QStringLiteral("no_such_field")); },
        [&] { rows->value(QStringLiteral("")); },
        [&] { rows->value(3); },
        [&] { rows->value(-1); },
        [&] { rows->fieldName(3); },
    };
    for (const auto& use : missing) {
        const std::optional<DbError> error = thrownBy(use);
        QVERIFY(error);
        QCOMPARE(error->number(), DbErrors::ItemNotFound);
    }
}

void TestRecordset::fieldsNeedACurrentRow()
{
    std::unique_ptr<Recordset> rows =
        m_connection->openRecordset(QStringLiteral("select n from one"), CursorType::Static);
    rows->moveNext();
    QVERIFY(rows->eof());
    QCOMPARE(thrownBy([&] { rows->value(0); })->number(), DbErrors::NoCurrentRecord);
    QCOMPARE(thrownBy([&] { rows->value(QStringLiteral("n")); })->number(),
             DbErrors::NoCurrentRecord);
    rows->moveFirst();
    rows->movePrevious();
    QVERIFY(rows->bof());
    QCOMPARE(thrownBy([&] { rows->value(0); })->number(), DbErrors::NoCurrentRecord);
    QCOMPARE(rows->fieldName(0), QStringLiteral("n")); // names need no row

    std::unique_ptr<Recordset> streaming =
        m_connection->openRecordset(QStringLiteral("select n from one"));
    streaming->moveNext();
    QCOMPARE(thrownBy([&] { streaming->value(0); })->number(), DbErrors::NoCurrentRecord);
}

void TestRecordset::aClosedResultSetRefusesUse()
{
    std::unique_ptr<Recordset> rows =
        m_connection->openRecordset(QStringLiteral("select n from five"));
    rows->close();
    QVERIFY(!rows->isOpen());
    rows->close();
    const std::optional<DbError> error = thrownBy([&] { rows->moveNext(); });
    QVERIFY(error);
    QCOMPARE(error->number(), DbErrors::ObjectClosed);
    // The program closed it itself: that is no lost connection.
    QVERIFY(!error->description().contains(QLatin1String("not connected")));
    QVERIFY(thrownBy([&] { rows->eof(); }));
    QVERIFY(thrownBy([&] { rows->requery(); }));
    QCOMPARE(m_connection->state(), 1);
}

void TestRecordset::writesMayRunWhileAResultIsRead()
{
    // The transfers read a result row by row and write for each row on the same connection.
    m_connection->execute(QStringLiteral("create table copies(n integer)"));
    std::unique_ptr<Recordset> rows =
        m_connection->openRecordset(QStringLiteral("select n from five order by n"));
    while (!rows->eof()) {
        m_connection->execute(QStringLiteral("insert into copies values(%1)").arg(*rows->value(0)));
        rows->moveNext();
    }
    std::unique_ptr<Recordset> copied =
        m_connection->openRecordset(QStringLiteral("select count(*), sum(n) from copies"));
    QCOMPARE(copied->value(0), DbValue(QStringLiteral("5")));
    QCOMPARE(copied->value(1), DbValue(QStringLiteral("15")));
}

VARROW_TEST_GUILESS_MAIN(TestRecordset)
#include "tst_recordset.moc"
