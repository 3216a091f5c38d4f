#include "db/ConnectionString.h"
#include "tests/support/TestMain.h"

#include <QTest>

class TestConnectionString : public QObject
{
    Q_OBJECT

private slots:
    void buildsTheUsualFormAndQuotesOnlyWhereNeeded_data();
    void buildsTheUsualFormAndQuotesOnlyWhereNeeded();
    void aPasswordCannotInjectAttributes_data();
    void aPasswordCannotInjectAttributes();
    void parsesTheProviderForm();
    void parsesUntidyStrings_data();
    void parsesUntidyStrings();
    void editsKeysWithoutRegardToCase();
};

void TestConnectionString::buildsTheUsualFormAndQuotesOnlyWhereNeeded_data()
{
    QTest::addColumn<QString>("dataSource");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("expected");

    QTest::newRow("ordinary") << "VarrowMaster"
                              << "mt"
                              << "sql"
                              << "DSN=VarrowMaster;UID=mt;PWD=sql";
    QTest::newRow("empty credentials") << "VarrowRemote"
                                       << ""
                                       << ""
                                       << "DSN=VarrowRemote;UID=;PWD=";
    QTest::newRow("blank inside") << "Lab Master"
                                  << "field tech"
                                  << "a b"
                                  << "DSN=Lab Master;UID=field tech;PWD=a b";
    QTest::newRow("equals and quotes are ordinary") << "M"
                                                    << "u"
                                                    << "a=b'\"c"
                                                    << "DSN=M;UID=u;PWD=a=b'\"c";
    QTest::newRow("semicolon") << "M"
                               << "u"
                               << "a;b"
                               << "DSN=M;UID=u;PWD={a;b}";
    QTest::newRow("closing brace doubled") << "M"
                                           << "u"
                                           << "p}w"
                                           << "DSN=M;UID=u;PWD={p}}w}";
    QTest::newRow("opening brace") << "M"
                                   << "u"
                                   << "{x"
                                   << "DSN=M;UID=u;PWD={{x}";
    QTest::newRow("leading blank") << "M"
                                   << "u"
                                   << " x"
                                   << "DSN=M;UID=u;PWD={ x}";
    QTest::newRow("trailing blank") << "M"
                                    << "u"
                                    << "x "
                                    << "DSN=M;UID=u;PWD={x }";
    QTest::newRow("user with semicolon") << "M"
                                         << "a;b"
                                         << "p"
                                         << "DSN=M;UID={a;b};PWD=p";
    QTest::newRow("non-ASCII") << "Prüfstand"
                               << "Jürgen"
                               << "Grüße€"
                               << "DSN=Prüfstand;UID=Jürgen;PWD=Grüße€";
}

void TestConnectionString::buildsTheUsualFormAndQuotesOnlyWhereNeeded()
{
    QFETCH(QString, dataSource);
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QString, expected);
    QCOMPARE(connectionString(dataSource, user, password), expected);
}

void TestConnectionString::aPasswordCannotInjectAttributes_data()
{
    QTest::addColumn<QString>("password");
    QTest::newRow("second DSN") << "x;DSN=Elsewhere";
    QTest::newRow("driver and database") << "x;DRIVER=/tmp/evil.so;Database=/etc/passwd";
    QTest::newRow("brace games") << "}x;DSN=Elsewhere;{";
    QTest::newRow("doubled braces") << "}}{{;}";
    QTest::newRow("only a semicolon") << ";";
    QTest::newRow("blanks around") << "  padded  ";
}

void TestConnectionString::aPasswordCannotInjectAttributes()
{
    QFETCH(QString, password);
    const ConnectionString parsed = ConnectionString::parse(
        connectionString(QStringLiteral("VarrowMaster"), QStringLiteral("mt"), password));
    QCOMPARE(parsed.attributes().size(), 3);
    QCOMPARE(parsed.value(QStringLiteral("DSN")), QStringLiteral("VarrowMaster"));
    QCOMPARE(parsed.value(QStringLiteral("UID")), QStringLiteral("mt"));
    QCOMPARE(parsed.value(QStringLiteral("PWD")), password);
    QVERIFY(!parsed.contains(QStringLiteral("DRIVER")));
}

void TestConnectionString::parsesTheProviderForm()
{
    ConnectionString parsed =
        ConnectionString::parse(QStringLiteral("PROVIDER=MSDASQL.1;dsn=VarrowRemote"));
    QCOMPARE(parsed.value(QStringLiteral("Provider")), QStringLiteral("MSDASQL.1"));
    QCOMPARE(parsed.value(QStringLiteral("DSN")), QStringLiteral("VarrowRemote"));
    parsed.remove(QStringLiteral("provider"));
    QCOMPARE(parsed.toString(), QStringLiteral("dsn=VarrowRemote"));
}

void TestConnectionString::parsesUntidyStrings_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("attributeCount");

    QTest::newRow("blanks around keys and values") << " DSN = x ; UID=y"
                                                   << "UID"
                                                   << "y" << 2;
    QTest::newRow("empty attributes") << ";;DSN=x;;PWD=p;"
                                      << "PWD"
                                      << "p" << 2;
    QTest::newRow("key without value") << "DSN=x;READONLY"
                                       << "READONLY"
                                       << "" << 2;
    QTest::newRow("unterminated braces keep the rest") << "DSN=x;PWD={a;b"
                                                       << "PWD"
                                                       << "a;b" << 2;
    QTest::newRow("junk after closing brace") << "PWD={a}junk;DSN=x"
                                              << "DSN"
                                              << "x" << 2;
    QTest::newRow("value with equals") << "PWD=a=b;DSN=x"
                                       << "PWD"
                                       << "a=b" << 2;
    QTest::newRow("first of a repeated key wins") << "DSN=x;DSN=y"
                                                  << "DSN"
                                                  << "x" << 2;
    QTest::newRow("nothing") << ""
                             << "DSN"
                             << "" << 0;
}

void TestConnectionString::parsesUntidyStrings()
{
    QFETCH(QString, text);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(int, attributeCount);
    const ConnectionString parsed = ConnectionString::parse(text);
    QCOMPARE(parsed.value(key), value);
    QCOMPARE(parsed.attributes().size(), attributeCount);
}

void TestConnectionString::editsKeysWithoutRegardToCase()
{
    ConnectionString parsed = ConnectionString::parse(QStringLiteral("dsn=x;uid=old;Pwd=a;PWD=b"));
    parsed.setValue(QStringLiteral("UID"), QStringLiteral("new"));
    parsed.setValue(QStringLiteral("Database"), QStringLiteral("f;g"));
    parsed.remove(QStringLiteral("pwd"));
    QCOMPARE(parsed.toString(), QStringLiteral("dsn=x;uid=new;Database={f;g}"));
}

VARROW_TEST_GUILESS_MAIN(TestConnectionString)
#include "tst_connectionstring.moc"
