#include "app/Program.h"
#include "base/PhraseFile.h"
#include "base/ProgramExit.h"
#include "tests/support/TestMain.h"
#include "tests/support/TestProgram.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

class TestPhrases : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_oldCwd;

    void writePhraseFile(const QByteArray& content)
    {
        QFile file(m_dir.filePath(QStringLiteral("vrwphrases.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }

private Q_SLOTS:
    void init()
    {
        m_oldCwd = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_dir.path()));
    }
    void cleanup() { QDir::setCurrent(m_oldCwd); }

    void parsesOneLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<long long>("number");
        QTest::addColumn<QString>("text");
        QTest::newRow("blank separator") << "542 Cannot Run" << 542LL << "Cannot Run";
        QTest::newRow("equals separator") << "542=Cannot Run" << 542LL << "Cannot Run";
        QTest::newRow("leading zeros, blanks trimmed") << "0042  word  " << 42LL << "word";
        QTest::newRow("heading line is phrase 0") << "Varrow phrases" << 0LL << "arrow phrases";
        QTest::newRow("number alone") << "77" << 77LL << "";
        QTest::newRow("tab separator, tab kept inside") << "5\ta\tb" << 5LL << "a\tb";
        QTest::newRow("trailing quote is text") << "562 lost!\"" << 562LL << "lost!\"";
        QTest::newRow("huge number saturates") << "99999999999999999999 x" << 1000000000LL << "x";
    }
    void parsesOneLine()
    {
        QFETCH(QString, line);
        const PhraseLine parsed = parsePhraseLine(line);
        QTEST(parsed.number, "number");
        QTEST(parsed.text, "text");
    }

    void splitsLinesAndStopsAtTheFirstEmptyOne()
    {
        QCOMPARE(phraseFileLines(QStringLiteral("1 a\r\n2 b\r\n")), QStringList({"1 a", "2 b"}));
        QCOMPARE(phraseFileLines(QStringLiteral("1 a\n2 b")), QStringList({"1 a", "2 b"}));
        QCOMPARE(phraseFileLines(QStringLiteral("1 a\r\n\r\n2 b\r\n")), QStringList({"1 a"}));
        QCOMPARE(phraseFileLines(QStringLiteral("\r\n1 a\r\n")), QStringList());
        QCOMPARE(phraseFileLines(QStringLiteral("1 a\r2 b\r\n")), QStringList({"1 a", "2 b"}));
        QCOMPARE(phraseFileLines(QStringLiteral("   \r\n1 a")), QStringList({"   ", "1 a"}));
    }

    void loadsTheFileInTheWorkingDirectory()
    {
        writePhraseFile(
            "Heading\r\n101 Varrow\r\n542=Twice\r\n101 Varrow Again\r\n\r\n103 ignored\r\n");
        TestProgram t;
        GetPhrases(t.program());
        QCOMPARE(t.program().phrase(101), QStringLiteral("Varrow Again"));
        QCOMPARE(t.program().phrase(542), QStringLiteral("Twice"));
        QCOMPARE(t.program().phrase(0), QStringLiteral("eading"));
        QVERIFY(t.program().phrase(103).isEmpty());
        QVERIFY(!t.ui.isBusy());
        QVERIFY(t.ui.yields >= 4);
    }

    void aFirstEmptyLineGivesAnEmptyTable()
    {
        writePhraseFile("\r\n101 Varrow\r\n");
        TestProgram t;
        GetPhrases(t.program());
        QVERIFY(t.program().phrase(101).isEmpty());
        QVERIFY(t.ui.messages.isEmpty());
    }

    void numbersBeyondTheTableEndTheProgram_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("description");
        QTest::newRow("3001") << QByteArray("3001 too far") << "9 Subscript out of range";
        QTest::newRow("beyond 16 bits") << QByteArray("40000 too far") << "6 Overflow";
    }
    void numbersBeyondTheTableEndTheProgram()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, description);
        writePhraseFile("101 Varrow\r\n117 Internal:\r\n" + line + "\r\n102 never\r\n");
        const QString log = QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
                                .filePath(QStringLiteral("errors.log"));
        QFile::remove(log);
        TestProgram t;
        int status = -1;
        try {
            GetPhrases(t.program());
        } catch (const ProgramExit& exit) {
            status = exit.code();
        }
        QCOMPARE(status, 1);
        QCOMPARE(t.program().phrase(101), QStringLiteral("Varrow"));
        QVERIFY(t.program().phrase(102).isEmpty());
        QCOMPARE(t.ui.messages.size(), 1);
        QVERIFY(t.ui.messages[0].text.startsWith(QStringLiteral("Internal: ") + description));
        QFile file(log);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString record = QString::fromUtf8(file.readAll());
        QVERIFY(record.contains(QStringLiteral("] ModuleVRW1,GetPhrases\r\n")));
        QVERIFY(record.contains(description + QStringLiteral("\r\n")));
    }

    // The delivered file: CR LF lines, a heading first, every default text to the letter,
    // and a text for every number the program shows.
    void deliveredFileCarriesEveryText()
    {
        QFile file(QDir(testsupport::binaryDir()).filePath(QStringLiteral("vrwphrases.txt")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.count("\r\n") == bytes.count('\n'));
        QVERIFY(!std::isdigit(static_cast<unsigned char>(bytes.at(0))));

        TestProgram t;
        t.loadDeliveredPhrases();
        const Program& p = t.program();
        QCOMPARE(p.phrase(101), QStringLiteral("Varrow"));
        QCOMPARE(p.phrase(319),
                 QStringLiteral("Tables         (Remote   Dumped)  (Master    Inserted)"));
        QCOMPARE(p.phrase(235), QStringLiteral("Creating  Index On XTAG"));
        QVERIFY(p.phrase(562).endsWith(QStringLiteral("continue?\"")));
        QVERIFY(p.phrase(563).endsWith(QStringLiteral("Varrow?\"")));
        QCOMPARE(p.phrase(561),
                 QStringLiteral("Only user accounts that are a member of the \"MT\" segregate can "
                                "perform syncronizations/replications!"));
        QList<int> used = {1, 2, 3, 7, 8, 9, 10, 11, 12, 13, 59, 137, 175, 228, 415, 416, 535, 549};
        for (int n = 188; n <= 194; ++n)
            used << n;
        for (int n = 238; n <= 244; ++n)
            used << n;
        for (int n = 600; n <= 623; ++n)
            used << n;
        for (int n : used)
            QVERIFY2(!p.phrase(n).isEmpty(), qPrintable(QString::number(n)));
    }
};

VARROW_TEST_GUILESS_MAIN(TestPhrases)
#include "tst_phrases.moc"
