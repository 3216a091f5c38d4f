#include "base/ConsoleUi.h"
#include "tests/support/TestMain.h"

#include <QtTest>
#include <cstdio>

class TestConsoleUi : public QObject
{
    Q_OBJECT

    // Runs the boxes through a console UI writing into a temporary file; returns the output.
    static QString run(const QString& answers, const QList<Message>& boxes, QList<Answer>& given)
    {
        std::FILE* out = std::tmpfile();
        ConsoleUi ui(answers, out);
        for (const Message& m : boxes)
            given.append(ui.message(m));
        std::rewind(out);
        QByteArray bytes;
        char buffer[512];
        while (size_t n = std::fread(buffer, 1, sizeof buffer, out))
            bytes.append(buffer, static_cast<qsizetype>(n));
        std::fclose(out);
        return QString::fromLocal8Bit(bytes);
    }

private Q_SLOTS:
    void writesOneLinePerBox()
    {
        const Message m{QStringLiteral("first\r\n\r\nsecond\nthird"),
                        QStringLiteral("Login Warning"), MessageIcon::Critical, MessageButtons::Ok,
                        std::nullopt};
        QCOMPARE(ConsoleUi::formatLine(m),
                 QStringLiteral("Login Warning: first /  / second / third"));
    }

    void answersWithTheDefaultButton()
    {
        QList<Answer> given;
        const QString out =
            run(QString(),
                {{"Ok?", "A", MessageIcon::None, MessageButtons::Ok, std::nullopt},
                 {"Exit?", "B", MessageIcon::Question, MessageButtons::YesNo, Answer::No},
                 {"Go?", "C", MessageIcon::Question, MessageButtons::YesNo, std::nullopt}},
                given);
        QCOMPARE(given, (QList<Answer>{Answer::Ok, Answer::No, Answer::Yes}));
        QCOMPARE(out, QStringLiteral("A: Ok?\nB: Exit?\nC: Go?\n"));
    }

    void consumesScriptedAnswersInOrder()
    {
        QList<Answer> given;
        const Message yesNo{"Exit?", "B", MessageIcon::Question, MessageButtons::YesNo, Answer::No};
        const QString out =
            run(QStringLiteral("YES, maybe,no"), {yesNo, yesNo, yesNo, yesNo}, given);
        // "maybe" answers nothing: the default is taken and said so; the list then runs out.
        QCOMPARE(given, (QList<Answer>{Answer::Yes, Answer::No, Answer::No, Answer::No}));
        QVERIFY(out.contains(QStringLiteral("\"maybe\" does not answer")));
    }

    void anAnswerTheBoxDoesNotOfferFallsBackToItsDefault()
    {
        QList<Answer> given;
        run(QStringLiteral("yes"),
            {{"Done", "T", MessageIcon::Information, MessageButtons::Ok, std::nullopt}}, given);
        QCOMPARE(given, QList<Answer>{Answer::Ok});
    }

    void headlessWhenAskedOrWithoutDisplay()
    {
        qputenv("VARROW_HEADLESS", "1");
        qputenv("DISPLAY", ":0");
        QVERIFY(ConsoleUi::headlessRequested());
        qunsetenv("VARROW_HEADLESS");
        QVERIFY(!ConsoleUi::headlessRequested());
        qunsetenv("DISPLAY");
        qunsetenv("WAYLAND_DISPLAY");
        QVERIFY(ConsoleUi::headlessRequested());
        qputenv("WAYLAND_DISPLAY", "wayland-0");
        QVERIFY(!ConsoleUi::headlessRequested());
    }
};

VARROW_TEST_GUILESS_MAIN(TestConsoleUi)
#include "tst_consoleui.moc"
