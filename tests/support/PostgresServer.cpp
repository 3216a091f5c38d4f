#include "tests/support/PostgresServer.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

QString script()
{
    return QStringLiteral(VARROW_SOURCE_DIR "/scripts/pg-cluster");
}

// Runs the cluster script; empty on success, else what it said.
QString runScript(const QString& action, const QString& folder)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(script(), {action, folder});
    if (!process.waitForStarted())
        return QStringLiteral("%1 did not start: %2").arg(script(), process.errorString());
    process.waitForFinished(120000);
    if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return {};
    return QString::fromLocal8Bit(process.readAll()).trimmed();
}

class Cluster
{
public:
    Cluster()
    {
        // A short path: the socket's full name must stay below about a hundred characters.
        m_folder = std::make_unique<QTemporaryDir>(QStringLiteral("/tmp/varrow-pg-XXXXXX"));
        if (!m_folder->isValid()) {
            m_error = QStringLiteral("no temporary folder: ") + m_folder->errorString();
            return;
        }
        m_error = runScript(QStringLiteral("start"), m_folder->path());
        m_started = m_error.isEmpty();
    }
    ~Cluster()
    {
        if (m_started)
            runScript(QStringLiteral("stop"), m_folder->path());
    }
    QString folder() const { return m_started ? m_folder->path() : QString(); }
    QString error() const { return m_error; }

private:
    std::unique_ptr<QTemporaryDir> m_folder;
    QString m_error;
    bool m_started = false;
};

} // namespace

namespace testsupport {

bool postgresMaster()
{
    return qEnvironmentVariable("VARROW_TEST_MASTER") == QLatin1String("postgresql");
}

QString postgresSocketFolder(QString* whyNot)
{
    static Cluster cluster;
    if (whyNot)
        *whyNot = cluster.error();
    return cluster.folder();
}

QString postgresSocketFolderOrSkip()
{
    QString whyNot;
    const QString folder = postgresSocketFolder(&whyNot);
    if (folder.isEmpty()) {
        std::fprintf(stderr,
                     "SKIPPED: the runs with a PostgreSQL master need a PostgreSQL server, and "
                     "none could be started on this machine: %s\n",
                     qPrintable(whyNot));
        std::exit(SkippedExitCode);
    }
    return folder;
}

QString newestHistoryRow()
{
    if (postgresMaster())
        return QStringLiteral("ctid=(select ctid from qel_vr_transfer_log order by "
                              "xmin::text::bigint desc, ctid desc limit 1)");
    return QStringLiteral("rowid=(select max(rowid) from qel_vr_transfer_log)");
}

QString newPostgresDatabaseName()
{
    static int count = 0;
    return QStringLiteral("caldata_%1").arg(++count);
}

} // namespace testsupport
