#include "tests/support/SessionFixture.h"
#include "tests/support/TestMain.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// Two laptops, one server: two remote copies made from the same master, each with field work
// of its own, synchronised by vrw1 run unattended, one after the other and both at once. The
// master ends with the work of both: every new item once, every changed column, and neither
// change log holding anything pending.
class TestTwoLaptops : public QObject
{
    Q_OBJECT

    SessionFixture m_fixture{TestWorkspace::small(DemoOptions::Remote::FieldWork)};
    QString m_secondRemote; // laptop B's file; laptop A's is the workspace's remote
    QString m_changedByB;   // the item whose description laptop B changes

    struct Work
    {
        QStringList newAssets;              // asset numbers of the items a laptop added
        QList<QPair<QString, QString>> ups; // (item key, column) of the item columns it changed
    };

    // Laptop A's work as its change log has it.
    static Work loggedWork(SqliteDatabase& remote)
    {
        Work work;
        for (const QVariantList& row : remote.rows(
                 QStringLiteral("select i4201 from inventory where mtag in (select xtag from "
                                "qel_vr_log where affected_table='INVENTORY' and action='INS' "
                                "and sync_date is null)")))
            work.newAssets.append(row.value(0).toString());
        for (const QVariantList& row : remote.rows(QStringLiteral(
                 "select distinct xtag, affected_column from qel_vr_log where "
                 "affected_table='INVENTORY' and action='UPD' and sync_date is null and xtag not "
                 "in (select xtag from qel_vr_log where action in ('INS','DEL'))")))
            work.ups.append({row.value(0).toString(), row.value(1).toString()});
        return work;
    }

    // vrw1 -TRANSFER on one laptop's data source, in a home of its own (each laptop is
    // another machine), started but not waited for.
    std::unique_ptr<QProcess> start(const QString& remoteDataSource, QTemporaryDir& home)
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VARROW_HEADLESS"), QStringLiteral("1"));
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.path() + QStringLiteral("/data"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/config"));
        env.insert(QStringLiteral("ODBCSYSINI"), m_fixture.workspace.path());
        env.insert(QStringLiteral("ODBCINI"), m_fixture.workspace.report().odbcIni);
        process->setProcessEnvironment(env);
        process->setWorkingDirectory(testsupport::binaryDir());
        process->start(QDir(testsupport::binaryDir()).filePath(QStringLiteral("vrw1")),
                       {QStringLiteral("-TRANSFER"),
                        QStringLiteral("MDSN=VarrowMaster;MUID=mt;MPWD=sql;RDSN=%1;RUID=mt;"
                                       "RPWD=sql")
                            .arg(remoteDataSource)});
        return process;
    }

    static QString finish(QProcess& process)
    {
        if (!process.waitForFinished(120000)) {
            process.kill();
            return QStringLiteral("vrw1 did not finish: ") + process.errorString();
        }
        const int status = process.exitCode();
        if (qEnvironmentVariableIsSet("VARROW_TEST_SHOW_MESSAGES"))
            qInfo("%s%s", process.readAllStandardOutput().constData(),
                  process.readAllStandardError().constData());
        if (process.exitStatus() == QProcess::NormalExit && (status == 0 || status == 2))
            return {};
        return QStringLiteral("exit status %1: %2")
            .arg(status)
            .arg(QString::fromLocal8Bit(process.readAllStandardError()));
    }

    // The master holds the work of both laptops, once.
    void judge(const Work& a)
    {
        for (const QString& asset : a.newAssets)
            QCOMPARE(
                m_fixture.masterValue(
                    QStringLiteral("select count(*) from inventory where upper(i4201)=upper('%1')")
                        .arg(QString(asset).replace(QLatin1Char('\''), QLatin1String("''")))),
                QStringLiteral("1"));
        for (const auto& [key, column] : a.ups) {
            const QString differs = m_fixture.sameOnBothSides(
                QStringLiteral("select %1 from inventory where mtag='%2'")
                    .arg(column, QString(key).replace(QLatin1Char('\''), QLatin1String("''"))));
            QVERIFY2(differs.isEmpty(), qPrintable(differs));
        }
        QCOMPARE(m_fixture.masterValue(QStringLiteral(
                     "select count(*) from inventory where upper(i4201)='LAPTOP-B-1'")),
                 QStringLiteral("1"));
        QCOMPARE(m_fixture.masterValue(QStringLiteral(
                     "select count(*) from calibration where c2302='laptop B tech'")),
                 QStringLiteral("1"));
        QCOMPARE(
            m_fixture.masterValue(
                QStringLiteral("select i4202 from inventory where mtag='%1'").arg(m_changedByB)),
            QStringLiteral("changed on laptop B"));
        for (const char* duplicates :
             {"select count(*) - count(distinct upper(i4201)) from inventory",
              "select count(*) - count(distinct upper(k4601)) from customers",
              "select count(*) - count(distinct upper(ctag)) from calibration"})
            QCOMPARE(m_fixture.masterValue(QLatin1String(duplicates)), QStringLiteral("0"));
        const QString pending =
            QStringLiteral("select count(*) from qel_vr_log where sync_date is null");
        QCOMPARE(m_fixture.remoteValue(pending), QStringLiteral("0"));
        SqliteDatabase b(m_secondRemote, SqliteDatabase::Mode::OpenExisting);
        b.loadExtension(m_fixture.workspace.report().extension);
        QCOMPARE(b.scalar(pending).toString(), QStringLiteral("0"));
    }

    void restore()
    {
        QVERIFY(m_fixture.startFromKeptFiles());
        for (const char* suffix : {"", "-wal", "-shm"})
            QFile::remove(m_secondRemote + QLatin1String(suffix));
        QVERIFY(QFile::copy(m_secondRemote + QStringLiteral(".orig"), m_secondRemote));
    }

private Q_SLOTS:
    // Laptop B's copy is made from the master by the stand-in's backup utility, prepared as a
    // remote copy is, and given field work of its own: a new item with a calibration, and a
    // changed description of an item laptop A leaves alone.
    void initTestCase()
    {
        QVERIFY2(m_fixture.workspace.isValid(), qPrintable(m_fixture.workspace.error()));
        const QDir workspace(m_fixture.workspace.path());
        QVERIFY(workspace.mkpath(QStringLiteral("laptop-b")));
        QProcess backup;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ODBCSYSINI"), m_fixture.workspace.path());
        env.insert(QStringLiteral("ODBCINI"), m_fixture.workspace.report().odbcIni);
        backup.setProcessEnvironment(env);
        backup.start(QDir(testsupport::binaryDir()).filePath(QStringLiteral("dbbackup")),
                     {QStringLiteral("-y"), QStringLiteral("-c"),
                      QStringLiteral("uid=mt;pwd=sql;dbf=caldata;dsn=VarrowMaster"),
                      workspace.filePath(QStringLiteral("laptop-b"))});
        QVERIFY(backup.waitForFinished(60000));
        QVERIFY2(backup.exitCode() == 0, backup.readAllStandardOutput().constData());
        m_secondRemote = workspace.filePath(QStringLiteral("laptop-b/caldata.db"));

        QFile ini(m_fixture.workspace.report().odbcIni);
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QString all = QString::fromUtf8(ini.readAll());
        ini.close();
        QString section = all.mid(all.indexOf(QLatin1String("[VarrowRemote]")));
        section.replace(QLatin1String("[VarrowRemote]"), QLatin1String("[VarrowRemoteB]"))
            .replace(m_fixture.workspace.report().remoteFile, m_secondRemote)
            .replace(QLatin1String("FieldUnit07"), QLatin1String("FieldUnit08"))
            .replace(QLatin1String("FIELD-LAPTOP-07"), QLatin1String("FIELD-LAPTOP-08"))
            .replace(QLatin1String("caldata_field"), QLatin1String("caldata_field_b"));
        QVERIFY(ini.open(QIODevice::Append));
        ini.write("\n" + section.toUtf8());
        ini.close();

        auto a = m_fixture.workspace.openRemote();
        m_changedByB =
            a->scalar(QStringLiteral("select min(mtag) from inventory where mtag not in (select "
                                     "xtag from qel_vr_log)"))
                .toString();
        QVERIFY(!m_changedByB.isEmpty());
        {
            SqliteDatabase b(m_secondRemote, SqliteDatabase::Mode::OpenExisting);
            b.loadExtension(m_fixture.workspace.report().extension);
            b.exec(QStringLiteral(
                "delete from inuse; delete from qel_vr_log; delete from qel_vr_transfer_log; "
                "update dbconfig set dbremote = 1"));
            b.scalar(QStringLiteral("select varrow_set_user('ben')"));
            b.exec(QStringLiteral(
                       "insert into inventory(mtag,i4201,i4202) values('F8MT0001','laptop-b-1',"
                       "'added on laptop B');"
                       "insert into calibration(ctag,mtag,c2301,c2333,c2302) values('F8CA0001',"
                       "'F8MT0001','2026-03-04','10:00:00','laptop B tech');"
                       "update inventory set i4202='changed on laptop B' where mtag='%1'")
                       .arg(m_changedByB));
            QCOMPARE(
                b.scalar(QStringLiteral("select group_concat(affected_table||' '||action, ',') "
                                        "from (select * from qel_vr_log order by rowid)"))
                    .toString(),
                QStringLiteral("INVENTORY INS,CALIBRATION INS,INVENTORY UPD"));
        } // closed: the file is whole before it is kept
        QVERIFY(m_fixture.keepFiles());
        QVERIFY(QFile::copy(m_secondRemote, m_secondRemote + QStringLiteral(".orig")));
    }

    void oneAfterTheOther()
    {
        restore();
        const Work a = loggedWork(*m_fixture.workspace.openRemote());
        QVERIFY(!a.newAssets.isEmpty() && !a.ups.isEmpty());
        QTemporaryDir homeA, homeB;
        auto first = start(QStringLiteral("VarrowRemote"), homeA);
        QString failed = finish(*first);
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
        auto second = start(QStringLiteral("VarrowRemoteB"), homeB);
        failed = finish(*second);
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
        judge(a);
    }

    // The stress case: both laptops at the same moment, from two processes.
    void bothAtOnce()
    {
        restore();
        const Work a = loggedWork(*m_fixture.workspace.openRemote());
        QTemporaryDir homeA, homeB;
        auto first = start(QStringLiteral("VarrowRemote"), homeA);
        auto second = start(QStringLiteral("VarrowRemoteB"), homeB);
        const QString failedA = finish(*first);
        const QString failedB = finish(*second);
        QVERIFY2(failedA.isEmpty(), qPrintable(failedA));
        QVERIFY2(failedB.isEmpty(), qPrintable(failedB));
        judge(a);
    }
};

VARROW_TEST_GUILESS_MAIN(TestTwoLaptops)
#include "tst_twolaptops.moc"
