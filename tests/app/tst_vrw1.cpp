#include "tests/support/TestMain.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// vrw1 run as a user runs it, headless, from a folder of its own.
class TestVrw1 : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString installedProgram() const { return m_dir.filePath(QStringLiteral("vrw1")); }

    void writePhrases(const QByteArray& content)
    {
        QFile file(m_dir.filePath(QStringLiteral("vrwphrases.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }

    void startProgram(QProcess& process, const QStringList& arguments = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VARROW_HEADLESS"), QStringLiteral("1"));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(m_dir.path());
        process.start(installedProgram(), arguments);
        QVERIFY(process.waitForStarted());
    }

    // Runs vrw1 to its end; returns the exit status and its standard error.
    std::pair<int, QString> run(const QStringList& arguments = {})
    {
        QProcess process;
        startProgram(process, arguments);
        if (!process.waitForFinished(30000))
            process.kill();
        return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardError())};
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(QFile::copy(QDir(testsupport::binaryDir()).filePath(QStringLiteral("vrw1")),
                            installedProgram()));
    }
    void init() { QFile::remove(m_dir.filePath(QStringLiteral("vrwphrases.txt"))); }

    // --help and --version, alone, are answered before anything else (no phrase file is
    // needed); after a switch they are the program's own command line.
    void answersHelpAndVersionFirst()
    {
        for (const QString& request : {QStringLiteral("--help"), QStringLiteral("--version")}) {
            QProcess process;
            startProgram(process, {request});
            QVERIFY(process.waitForFinished(10000));
            QCOMPARE(process.exitStatus(), QProcess::NormalExit);
            QCOMPARE(process.exitCode(), 0);
            QCOMPARE(process.readAllStandardError(), QByteArray());
            const QString said = QString::fromLocal8Bit(process.readAllStandardOutput());
            if (request == QLatin1String("--version")) {
                QCOMPARE(said, QStringLiteral("vrw1 (Varrow) 1.0.0\n"));
            } else {
                QVERIFY(said.startsWith(QStringLiteral("Usage: vrw1 [SWITCH] [MDSN=")));
                for (const char* word : {"-AUTOSYNC", "-TRANSFER", "-TRANSALL", "DEBUGGING", "RPWD",
                                         "VARROW_HEADLESS"})
                    QVERIFY2(said.contains(QLatin1String(word)), word);
            }
        }
        const auto [status, err] = run({QStringLiteral("-TRANSFER"), QStringLiteral("--help")});
        QCOMPARE(status, 1);
        QVERIFY(err.startsWith(QStringLiteral("Terminating!: VRWPHRASES.TXT Is Missing!")));
    }

    void refusesToRunWithoutItsPhraseFile()
    {
        const auto [status, err] = run();
        QCOMPARE(status, 1);
        QCOMPARE(err, QStringLiteral("Terminating!: VRWPHRASES.TXT Is Missing! Please check your "
                                     "installation directory for this file. Varrow cannot operate "
                                     "without this file.\n"));
    }

    void aPhraseNumberBeyondTheTableIsLoggedAndFatal()
    {
        writePhrases("101 Varrow\r\n117 Failure:\r\n3001 too far\r\n");
        const QString log = QDir(qEnvironmentVariable("XDG_DATA_HOME"))
                                .filePath(QStringLiteral("VARROW/errors.log"));
        QFile::remove(log);
        const auto [status, err] = run();
        QCOMPARE(status, 1);
        QVERIFY(err.startsWith(QStringLiteral("Varrow: Failure: 9 Subscript out of range / ")));
        QFile file(log);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray record = file.readAll();
        QVERIFY(record.contains("] ModuleVRW1,GetPhrases\r\n"));
        QVERIFY(record.endsWith("Remote Sybase Operating System = \r\n\r\n"));
    }

    void aSecondCopyIsRefusedAndEndsNormally()
    {
        QFile::copy(QDir(testsupport::binaryDir()).filePath(QStringLiteral("vrwphrases.txt")),
                    m_dir.filePath(QStringLiteral("vrwphrases.txt")));
        QProcess first;
        startProgram(first);
        QByteArray said;
        QTRY_VERIFY_WITH_TIMEOUT(
            (said += first.readAllStandardError()).contains("running without windows"), 20000);
        const auto [status, err] = run({QStringLiteral("-TRANSFER")});
        first.kill();
        first.waitForFinished();
        QCOMPARE(status, 0);
        QCOMPARE(err,
                 QStringLiteral("Varrow: Cannot Run Multiple Instances Of This Application!\n"));
    }
};

VARROW_TEST_GUILESS_MAIN(TestVrw1)
#include "tst_vrw1.moc"
