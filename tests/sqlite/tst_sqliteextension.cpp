#include "SqliteTestDatabase.h"
#include "sqlite/PasswordDigest.h"
#include "tests/support/TestMain.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <bit>
#include <ctime>
#include <sqlite3.h>

// The extension's SQL functions, called through the sqlite3 C API as the schema's
// triggers and the demo generator call them.
class TestSqliteExtension : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void textFunctions_data();
    void textFunctions();
    void nowIsLocalTimeWithMilliseconds();
    void exactValues_data();
    void exactValues();
    void realsAreHandedOverWhole_data();
    void realsAreHandedOverWhole();
    void userBelongsToOneConnection();
    void confirmFunctions_data();
    void confirmFunctions();
    void confirmFunctionsDropRowsTheDatabaseHolds();
    void loginsAreCheckedWithoutRegardToTheUserNamesCase_data();
    void loginsAreCheckedWithoutRegardToTheUserNamesCase();
    void loginsChangeAndGo();
    void loginsRefuseBlankNamesAndPasswords();
    void passwordsNeverReachTheFile();
    void clientDigestMatchesTheStoredOne_data();
    void clientDigestMatchesTheStoredOne();
    void clientDigestFollowsTheStandard();

private:
    QString databaseFile() const { return m_dir.filePath(QStringLiteral("test.db")); }
    QTemporaryDir m_dir;
};

void TestSqliteExtension::init()
{
    QFile::remove(databaseFile());
}

void TestSqliteExtension::textFunctions_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("expected");
    QTest::newRow("left counts characters") << "select varrow_left('héllo', 2)"
                                            << "hé";
    QTest::newRow("left beyond the end") << "select varrow_left('abc', 10)"
                                         << "abc";
    QTest::newRow("left of nothing") << "select varrow_left('abc', 0)"
                                     << "";
    QTest::newRow("left of NULL") << "select varrow_left(null, 2)"
                                  << "(NULL)";
    QTest::newRow("left of a number") << "select varrow_left(12345, 3)"
                                      << "123";
    QTest::newRow("left with a negative length")
        << "select varrow_left('abc', -1)"
        << "error: the length given to left() or right() is negative";
    QTest::newRow("right counts characters") << "select varrow_right('héllo', 4)"
                                             << "éllo";
    QTest::newRow("right beyond the start") << "select varrow_right('ab', 5)"
                                            << "ab";
    QTest::newRow("locate finds") << "select locate('abc:def', ':')"
                                  << "4";
    QTest::newRow("locate misses") << "select locate('abc', 'x')"
                                   << "0";
    QTest::newRow("locate ignores case") << "select locate('aXbx', 'x')"
                                         << "2";
    QTest::newRow("locate from a start") << "select locate('aXbx', 'x', 3)"
                                         << "4";
    QTest::newRow("locate backwards from the end") << "select locate('aXbx', 'x', -1)"
                                                   << "4";
    QTest::newRow("locate backwards before the end") << "select locate('aXbx', 'x', -2)"
                                                     << "2";
    QTest::newRow("locate counts characters") << "select locate('ébé', 'é', 2)"
                                              << "3";
    QTest::newRow("locate a longer text") << "select locate('abc', 'abcd')"
                                          << "0";
    QTest::newRow("locate in NULL") << "select locate(null, 'a')"
                                    << "(NULL)";
    QTest::newRow("locate nothing") << "select locate('abc', '')"
                                    << "1";
}

void TestSqliteExtension::textFunctions()
{
    QFETCH(QString, sql);
    QFETCH(QString, expected);
    SqliteTestDatabase db(databaseFile());
    QCOMPARE(db.query(sql), QStringList{expected});
}

void TestSqliteExtension::nowIsLocalTimeWithMilliseconds()
{
    // A zone far from UTC, so that a UTC stamp cannot pass for local time.
    qputenv("TZ", "VRW-05:30");
    tzset();
    SqliteTestDatabase db(databaseFile());
    const QString now = db.value(QStringLiteral("select varrow_now()"));
    QVERIFY2(
        QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}$"))
            .match(now)
            .hasMatch(),
        qPrintable(now));
    const QDateTime stamp = QDateTime::fromString(now, QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    QVERIFY(qAbs(stamp.secsTo(QDateTime::currentDateTime())) < 600);
    qunsetenv("TZ");
    tzset();
}

void TestSqliteExtension::exactValues_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("expected");
    QTest::newRow("real needing 17 digits")
        << "select varrow_exact(0.1+0.2), typeof(varrow_exact(0.1+0.2))"
        << "0.30000000000000004|text";
    QTest::newRow("real needing 16 digits") << "select varrow_exact(1/3.0)"
                                            << "0.3333333333333333";
    QTest::newRow("short real") << "select varrow_exact(12.5)"
                                << "12.5";
    QTest::newRow("whole real keeps its point") << "select varrow_exact(2.0)"
                                                << "2.0";
    QTest::newRow("large real") << "select varrow_exact(-1e20)"
                                << "-1.0e+20";
    QTest::newRow("small real") << "select varrow_exact(1.5e-7)"
                                << "1.5e-07";
    QTest::newRow("infinity as SQLite reads it")
        << "select varrow_exact(9e999), varrow_exact(-9e999)"
        << "9.0e+999|-9.0e+999";
    QTest::newRow("integer as it is") << "select varrow_exact(42), typeof(varrow_exact(42))"
                                      << "42|integer";
    QTest::newRow("text as it is") << "select varrow_exact('0.1'), typeof(varrow_exact('0.1'))"
                                   << "0.1|text";
    QTest::newRow("blob as it is")
        << "select hex(varrow_exact(x'00ff')), typeof(varrow_exact(x'00ff'))"
        << "00FF|blob";
    QTest::newRow("NULL as it is") << "select varrow_exact(null)"
                                   << "(NULL)";
}

void TestSqliteExtension::exactValues()
{
    QFETCH(QString, sql);
    QFETCH(QString, expected);
    SqliteTestDatabase db(databaseFile());
    QCOMPARE(db.query(sql), QStringList{expected});
}

void TestSqliteExtension::realsAreHandedOverWhole_data()
{
    QTest::addColumn<quint64>("bits");
    QTest::addColumn<QString>("expected"); // "<fails>": no text reads back as the number
    // SQLite reads the shortest text of these as another number: more digits are needed.
    QTest::newRow("misread with 15 digits")
        << Q_UINT64_C(0x404b268838c74f0d) << "54.301032159155604";
    QTest::newRow("misread with 16 digits")
        << Q_UINT64_C(0x3f27b47ccb77eec5) << "0.00018085502027519719";
    QTest::newRow("largest") << Q_UINT64_C(0x7fefffffffffffff) << "1.7976931348623157e+308";
    QTest::newRow("smallest normal") << Q_UINT64_C(0x0010000000000000) << "2.2250738585072014e-308";
    QTest::newRow("tiny, beyond SQLite's reading") << Q_UINT64_C(0x827d89b8a780f96c) << "<fails>";
}

// Bound as doubles, so the numbers are exactly those bits whatever SQLite's own reading of
// a literal would give.
void TestSqliteExtension::realsAreHandedOverWhole()
{
    QFETCH(quint64, bits);
    QFETCH(QString, expected);
    const double number = std::bit_cast<double>(bits);
    SqliteTestDatabase db(databaseFile());
    sqlite3_stmt* statement = nullptr;
    QCOMPARE(sqlite3_prepare_v2(db.handle(), "select varrow_exact(?1)", -1, &statement, nullptr),
             SQLITE_OK);
    sqlite3_bind_double(statement, 1, number);
    const int rc = sqlite3_step(statement);
    const QString text =
        rc == SQLITE_ROW
            ? QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)))
            : QString::fromUtf8(sqlite3_errmsg(db.handle()));
    sqlite3_finalize(statement);
    if (expected == QLatin1String("<fails>")) {
        QCOMPARE(rc, SQLITE_ERROR);
        QVERIFY2(text.contains(QLatin1String("cannot be handed over exactly")), qPrintable(text));
        return;
    }
    QCOMPARE(rc, SQLITE_ROW);
    QCOMPARE(text, expected);
    // What an insert or update makes of that text is the very number again.
    QCOMPARE(sqlite3_prepare_v2(db.handle(), "select cast(?1 as real)", -1, &statement, nullptr),
             SQLITE_OK);
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(statement, 1, utf8.constData(), -1, SQLITE_STATIC);
    QCOMPARE(sqlite3_step(statement), SQLITE_ROW);
    const double read = sqlite3_column_double(statement, 0);
    sqlite3_finalize(statement);
    QCOMPARE(std::bit_cast<quint64>(read), bits);
}

void TestSqliteExtension::userBelongsToOneConnection()
{
    SqliteTestDatabase first(databaseFile());
    SqliteTestDatabase second(databaseFile());
    QCOMPARE(first.value(QStringLiteral("select varrow_user()")), QStringLiteral("(NULL)"));
    QCOMPARE(first.value(QStringLiteral("select varrow_set_user('Mt')")), QStringLiteral("Mt"));
    second.value(QStringLiteral("select varrow_set_user('lab1')"));
    QCOMPARE(first.value(QStringLiteral("select varrow_user()")), QStringLiteral("Mt"));
    QCOMPARE(second.value(QStringLiteral("select varrow_user()")), QStringLiteral("lab1"));
    first.value(QStringLiteral("select varrow_set_user(null)"));
    QCOMPARE(first.value(QStringLiteral("select varrow_user()")), QStringLiteral("(NULL)"));
}

namespace {

void createConfirmTables(SqliteTestDatabase& db)
{
    QCOMPARE(db.exec(QStringLiteral(
                 "create table calibration (ctag char(20) collate nocase primary key, c2301 date, "
                 "c2333 time, mtag char(20) collate nocase);"
                 "insert into calibration values ('C1', '2011-06-14', '10:30', 'M1');"
                 "insert into calibration values ('C2', '2011-06-15', null, 'M2');"
                 "create table location (ltag char(20) primary key, l2809 date, l2810 char(40) "
                 "collate nocase, mtag char(20) collate nocase);"
                 "insert into location values ('L1', '2012-01-02', 'Shelf A', 'M1');"
                 "create table repair (rtag char(20) primary key, r3230 date, r3241 numeric(10,2), "
                 "mtag char(20) collate nocase);"
                 "insert into repair values ('R1', '2013-03-04', 12.5, 'M1');")),
             QString());
}

} // namespace

void TestSqliteExtension::confirmFunctions_data()
{
    QTest::addColumn<QString>("call");
    QTest::addColumn<QString>("expected");
    QTest::newRow("calibration held") << "qel_vr_cal_record_confirm('2011-06-14','10:30','M1')"
                                      << "1";
    QTest::newRow("calibration held, other case")
        << "qel_vr_cal_record_confirm('2011-06-14','10:30','m1')"
        << "1";
    QTest::newRow("calibration at another time")
        << "qel_vr_cal_record_confirm('2011-06-14','10:31','M1')"
        << "0";
    QTest::newRow("calibration of another item")
        << "qel_vr_cal_record_confirm('2011-06-14','10:30','M2')"
        << "0";
    QTest::newRow("NULL never matches") << "qel_vr_cal_record_confirm('2011-06-14',null,'M1')"
                                        << "0";
    QTest::newRow("not even a stored NULL") << "qel_vr_cal_record_confirm('2011-06-15',null,'M2')"
                                            << "0";
    QTest::newRow("location held, text in other case")
        << "qel_vr_loc_record_confirm('2012-01-02','SHELF a','M1')"
        << "1";
    QTest::newRow("location elsewhere") << "qel_vr_loc_record_confirm('2012-01-02','Shelf B','M1')"
                                        << "0";
    QTest::newRow("repair held, number as text")
        << "qel_vr_rep_record_confirm('2013-03-04','12.5','m1')"
        << "1";
    QTest::newRow("repair held, number") << "qel_vr_rep_record_confirm('2013-03-04',12.50,'M1')"
                                         << "1";
    QTest::newRow("repair of another cost") << "qel_vr_rep_record_confirm('2013-03-04',12.6,'M1')"
                                            << "0";
}

void TestSqliteExtension::confirmFunctions()
{
    QFETCH(QString, call);
    QFETCH(QString, expected);
    SqliteTestDatabase db(databaseFile());
    createConfirmTables(db);
    QCOMPARE(db.query(QStringLiteral("select ") + call), QStringList{expected});
}

void TestSqliteExtension::confirmFunctionsDropRowsTheDatabaseHolds()
{
    SqliteTestDatabase db(databaseFile());
    createConfirmTables(db);
    QCOMPARE(db.exec(QStringLiteral(
                 "create temp table temp_calibration (ctag char(20), c2301 date, c2333 time, mtag "
                 "char(20) collate nocase);"
                 "insert into temp_calibration values ('X1', '2011-06-14', '10:30', 'm1');"
                 "insert into temp_calibration values ('X2', '2011-06-14', '11:00', 'M1');"
                 "delete from temp_calibration where qel_vr_cal_record_confirm(temp_calibration."
                 "c2301,temp_calibration.c2333,temp_calibration.mtag)=1")),
             QString());
    QCOMPARE(db.query(QStringLiteral("select ctag from temp_calibration")), QStringList{"X2"});
}

void TestSqliteExtension::loginsAreCheckedWithoutRegardToTheUserNamesCase_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("expected");
    QTest::newRow("as created") << "Mt"
                                << "sql"
                                << "1";
    QTest::newRow("user in other case") << "MT"
                                        << "sql"
                                        << "1";
    QTest::newRow("password in other case") << "mt"
                                            << "SQL"
                                            << "0";
    QTest::newRow("unknown user") << "lab1"
                                  << "sql"
                                  << "0";
    QTest::newRow("empty password") << "mt"
                                    << ""
                                    << "0";
}

void TestSqliteExtension::loginsAreCheckedWithoutRegardToTheUserNamesCase()
{
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QString, expected);
    SqliteTestDatabase db(databaseFile());
    QCOMPARE(db.value(QStringLiteral("select varrow_set_login('Mt', 'sql')")), QStringLiteral("1"));
    QCOMPARE(db.value(QStringLiteral("select varrow_check_login('%1', '%2')").arg(user, password)),
             expected);
}

void TestSqliteExtension::loginsChangeAndGo()
{
    SqliteTestDatabase db(databaseFile());
    QCOMPARE(db.value(QStringLiteral("select varrow_check_login('mt', 'sql')")),
             QStringLiteral("0"));
    db.value(QStringLiteral("select varrow_set_login('mt', 'sql')"));
    db.value(QStringLiteral("select varrow_set_login('MT', 'new one')"));
    QCOMPARE(db.query(QStringLiteral("select user_name from varrow_login")), QStringList{"mt"});
    QCOMPARE(db.value(QStringLiteral("select varrow_check_login('mt', 'sql')")),
             QStringLiteral("0"));
    QCOMPARE(db.value(QStringLiteral("select varrow_check_login('mt', 'new one')")),
             QStringLiteral("1"));
    QCOMPARE(db.value(QStringLiteral("select varrow_drop_login('Mt')")), QStringLiteral("1"));
    QCOMPARE(db.value(QStringLiteral("select varrow_drop_login('Mt')")), QStringLiteral("0"));
    QCOMPARE(db.value(QStringLiteral("select varrow_check_login('mt', 'new one')")),
             QStringLiteral("0"));
}

void TestSqliteExtension::loginsRefuseBlankNamesAndPasswords()
{
    SqliteTestDatabase db(databaseFile());
    const QStringList refused{"error: a login needs a user name and a password"};
    QCOMPARE(db.query(QStringLiteral("select varrow_set_login('', 'x')")), refused);
    QCOMPARE(db.query(QStringLiteral("select varrow_set_login('u', '')")), refused);
    QCOMPARE(db.query(QStringLiteral("select varrow_set_login(null, 'x')")), refused);
}

void TestSqliteExtension::passwordsNeverReachTheFile()
{
    const QByteArray password = "Zq7-unmistakable-Pa55";
    {
        SqliteTestDatabase db(databaseFile());
        db.value(QStringLiteral("select varrow_set_login('a', '%1')").arg(QLatin1String(password)));
        db.value(QStringLiteral("select varrow_set_login('b', '%1')").arg(QLatin1String(password)));
        // The same password under two names gives two salts and two digests.
        QCOMPARE(db.value(QStringLiteral("select count(distinct salt) || count(distinct hash) "
                                         "from varrow_login")),
                 QStringLiteral("22"));
    }
    QFile file(databaseFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray content = file.readAll();
    QVERIFY(!content.isEmpty());
    QVERIFY(!content.contains(password));
}

void TestSqliteExtension::clientDigestMatchesTheStoredOne_data()
{
    QTest::addColumn<QString>("password");
    QTest::newRow("short") << "sql";
    QTest::newRow("not ASCII") << "Grüße";
    QTest::newRow("longer than a hash block")
        << "a password of more than sixty-four bytes, which the digest hashes before keying it";
}

void TestSqliteExtension::clientDigestMatchesTheStoredOne()
{
    // The client checks logins itself; both ends must compute the same digest.
    QFETCH(QString, password);
    SqliteTestDatabase db(databaseFile());
    db.value(QStringLiteral("select varrow_set_login('mt', '%1')").arg(password));
    const QStringList row =
        db.query(QStringLiteral("select hex(salt), iterations, hex(hash) from varrow_login"))
            .first()
            .split(QLatin1Char('|'));
    const QByteArray digest = PasswordDigest::pbkdf2Sha256(
        password.toUtf8(), QByteArray::fromHex(row[0].toLatin1()), row[1].toInt(), 32);
    QCOMPARE(digest.toHex().toUpper(), row[2].toLatin1());
}

void TestSqliteExtension::clientDigestFollowsTheStandard()
{
    // RFC 7914, section 11: PBKDF2-HMAC-SHA256 with P "passwd", S "salt", c 1, 64 bytes.
    QCOMPARE(PasswordDigest::pbkdf2Sha256("passwd", "salt", 1, 64).toHex(),
             QByteArray("55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc"
                        "49ca9cccf179b645991664b39d77ef317c71b845b1e30bd509112041d3a19783"));
    QVERIFY(PasswordDigest::equal("abc", "abc"));
    QVERIFY(!PasswordDigest::equal("abc", "abd"));
    QVERIFY(!PasswordDigest::equal("abc", "abcd"));
}

VARROW_TEST_GUILESS_MAIN(TestSqliteExtension)
#include "tst_sqliteextension.moc"
