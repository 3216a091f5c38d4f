#include "SqliteTestDatabase.h"
#include "sqlite/PasswordDigest.h"
#include "tests/support/TestMain.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <ctime>

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
