#include "tests/support/SessionFixture.h"

#include "app/StartupFunctions.h"
#include "db/OdbcConnectionFactory.h"
#include "schema/DemoCatalogue.h"
#include "schema/DemoNames.h"
#include "session/Sessions.h"
#include "tests/support/FailingConnectionFactory.h"
#include "tests/support/RecordingConnectionFactory.h"
#include "tests/support/TestSupport.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

SessionFixture::SessionFixture(const DemoOptions& options)
    : workspace(options, TestWorkspace::PointOdbcHere)
{
    m_connections = std::make_unique<RecordingConnectionFactory>(
        std::make_unique<FailingConnectionFactory>(std::make_unique<OdbcConnectionFactory>(),
                                                   m_faults),
        m_log);
}

SessionFixture::~SessionFixture() = default;

std::unique_ptr<TestProgram> SessionFixture::program()
{
    auto t = std::make_unique<TestProgram>(m_connections.get());
    t->loadDeliveredPhrases();
    return t;
}

void SessionFixture::typeIn(TestProgram& t, const QString& masterUser,
                            const QString& masterPassword, const QString& remoteUser,
                            const QString& remotePassword)
{
    ConnectDialogModel& form = t.program().connectDialog;
    form.load();
    form.masterIndex = form.dataSources.indexOf(DemoNames::master.dsn);
    form.remoteIndex = form.dataSources.indexOf(DemoNames::remote.dsn);
    form.masterUser = masterUser;
    form.masterPassword = masterPassword;
    form.remoteUser = remoteUser;
    form.remotePassword = remotePassword;
}

std::unique_ptr<TestProgram> SessionFixture::ownerSession()
{
    if (!workspace.isValid()) {
        m_error = workspace.error();
        return nullptr;
    }
    auto t = program();
    SessionState& s = t->state();
    s.masterDataSource = DemoNames::master.dsn;
    s.remoteDataSource = DemoNames::remote.dsn;
    s.masterUser = s.remoteUser = ownerUser();
    s.masterPassword = s.remotePassword = ownerPassword();
    if (!ConnectToRemote(t->program()) || !ConnectToMaster(t->program())) {
        m_error = QStringLiteral("the demo databases cannot be reached");
        return nullptr;
    }
    StartupFunctions(t->program());
    if (s.remoteDatabaseFolder.isEmpty()) {
        m_error = QStringLiteral("the session facts were not gathered");
        return nullptr;
    }
    return t;
}

QString SessionFixture::ownerUser()
{
    return DemoCatalogue::users().first().login;
}

QString SessionFixture::ownerPassword()
{
    return DemoCatalogue::users().first().password;
}

QString SessionFixture::masterValue(Program& program, const QString& query)
{
    return testsupport::firstValue(userConnection(program, Side::Master), query);
}

QString SessionFixture::remoteValue(Program& program, const QString& query)
{
    return testsupport::firstValue(userConnection(program, Side::Remote), query);
}

namespace {

void copyOver(const QString& from, const QString& to, bool& ok)
{
    for (const char* suffix : {"-wal", "-shm"})
        QFile::remove(to + QLatin1String(suffix));
    QFile::remove(to);
    ok = QFile::copy(from, to) && ok;
}

} // namespace

bool SessionFixture::keepFiles()
{
    const DemoWorkspace::Report& files = workspace.report();
    return workspace.keepMaster() &&
           QFile::copy(files.remoteFile, files.remoteFile + QStringLiteral(".orig"));
}

bool SessionFixture::startFromKeptFiles()
{
    const DemoWorkspace::Report& files = workspace.report();
    bool ok = workspace.restoreMaster();
    copyOver(files.remoteFile + QStringLiteral(".orig"), files.remoteFile, ok);
    QFile::remove(QFileInfo(files.remoteFile).absolutePath() + QStringLiteral("/syncerr.log"));
    m_faults->clear();
    return ok;
}

std::unique_ptr<TestProgram> SessionFixture::signedIn()
{
    auto t = program();
    typeIn(*t, QStringLiteral("mt"), QStringLiteral("sql"), QStringLiteral("mt"),
           QStringLiteral("sql"));
    t->program().connectCommands.ConnectToDatabases();
    if (!t->state().masterConnected || !t->state().remoteConnected)
        return nullptr;
    m_log->clear();
    return t;
}

QString SessionFixture::syncErrors() const
{
    QFile log(QFileInfo(workspace.report().remoteFile).absolutePath() +
              QStringLiteral("/syncerr.log"));
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
}

QString SessionFixture::remoteValue(const QString& sql) const
{
    return workspace.openRemote()->scalar(sql).toString();
}

QString SessionFixture::masterValue(const QString& sql) const
{
    return workspace.master()->scalar(sql).toString();
}

QString SessionFixture::masterRows(const QString& sql) const
{
    QStringList rows;
    for (const QVariantList& row : workspace.master()->rows(sql)) {
        QStringList values;
        for (const QVariant& v : row)
            values << (v.isNull() ? QStringLiteral("NULL") : v.toString());
        rows << values.join(QLatin1Char('|'));
    }
    return rows.join(QLatin1Char(';'));
}

namespace {

// A value of the remote's file and one of the master as text: do they carry the same?
bool sameValue(const QVariant& remote, const QVariant& master)
{
    if (remote.isNull() || master.isNull())
        return remote.isNull() && master.isNull();
    const QString text = master.toString();
    switch (remote.metaType().id()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::Double: {
        bool number = false;
        const double value = text.toDouble(&number);
        return number && value == remote.toDouble();
    }
    case QMetaType::QByteArray:
        return text.compare(QStringLiteral("\\x") +
                                QString::fromLatin1(remote.toByteArray().toHex()),
                            Qt::CaseInsensitive) == 0;
    default:
        break;
    }
    if (remote.toString() == text)
        return true;
    // A time written with fewer digits of its fraction.
    const auto time = [](const QString& value) {
        for (const char* format : {"yyyy-MM-dd HH:mm:ss.zzz", "yyyy-MM-dd HH:mm:ss.z",
                                   "yyyy-MM-dd HH:mm:ss", "HH:mm:ss.zzz", "HH:mm:ss"}) {
            const QDateTime parsed = QDateTime::fromString(value, QLatin1String(format));
            if (parsed.isValid())
                return parsed;
        }
        return QDateTime();
    };
    const QDateTime remoteTime = time(remote.toString());
    return remoteTime.isValid() && remoteTime == time(text);
}

} // namespace

QString SessionFixture::sameOnBothSides(const QString& sql) const
{
    const QList<QVariantList> remote = workspace.openRemote()->rows(sql);
    const QList<QVariantList> master = workspace.master()->rows(sql);
    if (remote.size() != master.size())
        return QStringLiteral("%1 rows on the remote, %2 on the master: %3")
            .arg(remote.size())
            .arg(master.size())
            .arg(sql);
    for (qsizetype r = 0; r < remote.size(); ++r) {
        for (qsizetype c = 0; c < remote[r].size(); ++c) {
            const QVariant& m = master[r].value(c);
            const bool same = workspace.hasPostgresMaster()
                                  ? sameValue(remote[r][c], m)
                                  : remote[r][c] == m && remote[r][c].metaType() == m.metaType();
            if (!same)
                return QStringLiteral("remote %1, master %2: %3")
                    .arg(remote[r][c].toString(), m.toString(), sql);
        }
    }
    return {};
}

int SessionFixture::historyRows() const
{
    return masterValue(QStringLiteral("select count(*) from qel_vr_transfer_log where "
                                      "transfer_type='Synchronize'"))
        .toInt();
}
