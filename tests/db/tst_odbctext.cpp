#include "db/OdbcText.h"
#include "tests/support/TestMain.h"

#include <QtTest>

// Text between the program and the narrow ODBC calls: UTF-8 where the bytes are UTF-8, every
// other byte kept as a code unit of its own, so that whatever an engine holds goes back into
// a statement unchanged.
class TestOdbcText : public QObject
{
    Q_OBJECT

    static QString units(std::initializer_list<char16_t> list)
    {
        QString text;
        for (char16_t unit : list)
            text.append(QChar(unit));
        return text;
    }

private Q_SLOTS:
    void bytesSurviveTheRoundTrip_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text"); // what the program sees

        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("ASCII with a quote") << QByteArray("O'Brien") << QStringLiteral("O'Brien");
        QTest::newRow("NUL kept") << QByteArray("a\0b", 3) << units({u'a', 0, u'b'});
        QTest::newRow("two, three and four bytes")
            << QByteArray("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80") << QStringLiteral("é€😀");
        QTest::newRow("Latin-1 e acute") << QByteArray("A\xE9"
                                                       "B")
                                         << units({u'A', 0xDCE9, u'B'});
        QTest::newRow("FF") << QByteArray("\xFF") << units({0xDCFF});
        QTest::newRow("lone continuation byte") << QByteArray("\x80") << units({0xDC80});
        QTest::newRow("sequence cut short at the end")
            << QByteArray("x\xE2\x82") << units({u'x', 0xDCE2, 0xDC82});
        QTest::newRow("sequence cut short by ASCII") << QByteArray("\xC3"
                                                                   "A")
                                                     << units({0xDCC3, u'A'});
        QTest::newRow("overlong slash") << QByteArray("\xC0\xAF") << units({0xDCC0, 0xDCAF});
        QTest::newRow("overlong three bytes")
            << QByteArray("\xE0\x80\xAF") << units({0xDCE0, 0xDC80, 0xDCAF});
        QTest::newRow("encoded surrogate")
            << QByteArray("\xED\xA0\x80") << units({0xDCED, 0xDCA0, 0xDC80});
        QTest::newRow("beyond U+10FFFF")
            << QByteArray("\xF4\x90\x80\x80") << units({0xDCF4, 0xDC90, 0xDC80, 0xDC80});
        QTest::newRow("largest code point")
            << QByteArray("\xF4\x8F\xBF\xBF") << units({0xDBFF, 0xDFFF});
        QTest::newRow("kept bytes beside a pair")
            << QByteArray("\xE9\xF0\x9F\x98\x80\xE9") << units({0xDCE9, 0xD83D, 0xDE00, 0xDCE9});
    }
    void bytesSurviveTheRoundTrip()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(OdbcText::decode(bytes), text);
        QCOMPARE(OdbcText::encode(OdbcText::decode(bytes)), bytes);
    }

    // Every pair of bytes, each after an ASCII letter and before a lead byte.
    void everyByteSurvives()
    {
        for (int first = 0; first < 256; ++first)
            for (int second = 0; second < 256; ++second) {
                const QByteArray bytes =
                    QByteArray("a") + char(first) + char(second) + QByteArray("\xE2");
                QCOMPARE(OdbcText::encode(OdbcText::decode(bytes)), bytes);
            }
    }

    // Texts that do not come from an engine: UTF-8 as usual, a lone surrogate of another
    // kind as the replacement character.
    void programTextIsUtf8()
    {
        const QString text = QStringLiteral("Käufer 日本 😀");
        QCOMPARE(OdbcText::encode(text), text.toUtf8());
        QCOMPARE(OdbcText::encode(units({u'a', 0xD800, u'b'})), QByteArray("a\xEF\xBF\xBD"
                                                                           "b"));
        QCOMPARE(OdbcText::encode(units({0xDC00})), QByteArray("\xEF\xBF\xBD"));
    }
};

VARROW_TEST_GUILESS_MAIN(TestOdbcText)
#include "tst_odbctext.moc"
