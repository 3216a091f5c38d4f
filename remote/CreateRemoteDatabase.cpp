#include "remote/CreateRemoteDatabase.h"

#include "base/ErrorReporter.h"
#include "base/ProgramExit.h"
#include "copy/Catalogue.h"
#include "copy/SqlLiteral.h"
#include "remote/EngineFolder.h"
#include "remote/RemoteContext.h"
#include "remote/ShellAndWait.h"
#include "remote/StuffRepForm.h"
#include "remote/UtilityCommands.h"
#include "session/Sessions.h"

#include <QFile>
#include <QFileInfo>

namespace {

const QString Procedure = QStringLiteral("VRW1,CreateRemoteDatabase");

// A file that cannot be written or read.
struct FileFailure
{
    QString description;
};

void writeLines(const QString& path, const QStringList& lines, QIODevice::OpenMode mode)
{
    QFile file(path);
    QByteArray text;
    for (const QString& line : lines)
        text += line.toUtf8() + "\r\n";
    if (!file.open(mode) || file.write(text) != text.size())
        throw FileFailure{QStringLiteral("%1: %2").arg(path, file.errorString())};
}

QString escapedField(const DbValue& value)
{
    if (!value)
        return QStringLiteral("(NULL)");
    QString text = *value;
    text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    text.replace(QLatin1Char('\t'), QStringLiteral("\\t"));
    text.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    text.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    return text;
}

bool firstTimeNow(const RemoteContext& context)
{
    const std::optional<bool> exists =
        tableExistsChecked(context, QStringLiteral("R"), QStringLiteral("qel_vr_log"));
    return exists.has_value() && !*exists;
}

class Creation
{
public:
    explicit Creation(const RemoteContext& context)
        : m_context(context), m_state(context.state), m_status(context.repStatus)
    {
    }

    void run(bool& firstTime);

private:
    const QString& phrase(int number) const { return m_context.phrase(number); }
    void pause(int seconds) { m_context.clock.sleep(seconds * 1000); }
    QString now() const { return timestampText(m_context.clock.now()); }
    QString folder() const { return m_state.remoteDatabaseFolder; }
    QString logPath() const { return backupLogPath(folder()); }

    bool confirmed(bool firstTime);
    bool usersConnectedAllowed();
    // False when the change log could not be read (a lost connection, reported).
    bool keepPendingChanges();
    UtilityCommandFacts facts() const;
    void stopEngine();
    void backUpMaster();
    void prepareCopy();
    void recordHistory();
    [[noreturn]] void finish(bool& firstTime);
    // Exit status of a completed run: the transfers before it may have left rows in
    // syncerr.log.
    int completedStatus() const;

    const RemoteContext& m_context;
    SessionState& m_state;
    RepStatusSheet& m_status;
    QString m_statement; // the statement or masked command line last prepared
    QString m_command;   // the command started, later the last line of the backup log
    QString m_tools;
};

void Creation::run(bool& firstTime)
{
    Ui& ui = m_context.ui;
    ui.setBusy(true);
    for (Window w : {Window::Statistics, Window::VRLog})
        ui.closeWindow(w);
    if (ui.isWindowOpen(Window::Connect))
        m_context.connectDialog.close();

    if (!usersConnectedAllowed() || !confirmed(firstTime))
        return;

    m_state.transferStartTime = now();
    m_context.menus.DisableMenus();
    m_status.load(m_state.phrases);
    ui.showWindow(Window::RepStatus);

    m_status.setProgressInformation(phrase(605));
    if (!keepPendingChanges())
        return;
    m_status.setPresentStatus(phrase(606));
    pause(1);
    m_status.setPresentStatus(phrase(607));

    DisconnectFromRemote(m_context);
    DisconnectFromMaster(m_context);
    DisconnectQELDBAFromRemote(m_context);
    DisconnectQELDBAFromMaster(m_context);

    m_tools = GetEngineFolder(m_context);
    GetMasterDatabaseName(m_context);

    stopEngine();
    backUpMaster();
    prepareCopy();
    recordHistory();
    finish(firstTime);
}

// A failed look-up is reported; a lost connection then returns here with nothing changed.
bool Creation::usersConnectedAllowed()
{
    Ui& ui = m_context.ui;
    m_statement = QStringLiteral("select * from mt.inuse");
    bool connected = false;
    try {
        ConnectQELDBAToRemote(m_context);
        std::unique_ptr<Recordset> users = adminConnection(m_context, Side::Remote)
                                               .openRecordset(m_statement, CursorType::ForwardOnly);
        connected = !users->eof();
        users->close();
    } catch (const DbError& e) {
        ReportError(m_context, e, Procedure, m_statement);
        return false;
    }
    if (!connected)
        return true;
    ui.setBusy(false);
    const Answer answer =
        ui.message({phrase(527) + QStringLiteral("\r\n") + phrase(528), phrase(529),
                    MessageIcon::Exclamation, MessageButtons::YesNo, Answer::No});
    if (answer != Answer::Yes)
        return false;
    ui.setBusy(true);
    return true;
}

bool Creation::confirmed(bool firstTime)
{
    if (m_state.switchAutoSync)
        return true;
    Ui& ui = m_context.ui;
    const QString replace =
        phrase(142) + QLatin1Char(' ') + folder().toUpper() + QLatin1Char(' ') + phrase(144);
    if (firstTime) {
        ui.setBusy(false);
        const Answer answer = ui.message(
            {phrase(530) + QLatin1Char(' ') + phrase(531) + QStringLiteral("\r\n\r\n") + replace,
             phrase(108), MessageIcon::Exclamation, MessageButtons::YesNo, std::nullopt});
        if (answer != Answer::Yes)
            throw ProgramExit(0);
        ui.setBusy(true);
        return true;
    }
    m_context.events.UpdateMenuStatus();
    if (m_state.errorOccurred)
        return false;
    if (m_state.newRecordsPending || m_state.modifiedRecordsPending) {
        ui.setBusy(false);
        if (ui.message({phrase(562), phrase(108), MessageIcon::Question, MessageButtons::YesNo,
                        Answer::No}) != Answer::Yes) {
            m_context.events.UpdateMenuStatus();
            return false;
        }
    }
    ui.setBusy(false);
    if (ui.message({replace, phrase(108), MessageIcon::Exclamation, MessageButtons::YesNo,
                    std::nullopt}) != Answer::Yes) {
        m_context.events.UpdateMenuStatus();
        return false;
    }
    ui.setBusy(true);
    return true;
}

// The backup replaces the Remote Database's file, change log included: whatever the change
// log still holds unsent is written to a file first, so no field work goes without a record.
bool Creation::keepPendingChanges()
{
    if (firstTimeNow(m_context))
        return true; // a copy never prepared has no change log
    m_statement = QStringLiteral("select * from mt.qel_vr_log where sync_date is null");
    try {
        const QStringList lines = pendingChangeLines(m_context);
        if (lines.size() <= 1)
            return true;
        const QString path =
            folder() + QStringLiteral("/vrpending-%1.txt")
                           .arg(m_context.clock.now().toString(QStringLiteral("yyyyMMdd-HHmmss")));
        writeLines(path, lines, QIODevice::WriteOnly | QIODevice::Truncate);
        m_status.setPresentStatus(
            QStringLiteral("%1 pending changes of the Remote Database kept in %2")
                .arg(lines.size() - 1)
                .arg(path));
        pause(1);
    } catch (const DbError& e) {
        // Nothing is replaced without the record of its pending changes.
        ReportError(m_context, e, Procedure, m_statement);
        return false;
    } catch (const FileFailure& failure) {
        ReportError(m_context, 75, failure.description, Procedure, m_statement);
        return false;
    }
    return true;
}

UtilityCommandFacts Creation::facts() const
{
    UtilityCommandFacts f;
    f.toolsFolder = m_tools;
    f.databaseFolder = folder();
    f.engineName = m_state.remoteEngineName;
    f.schemaVersion = m_state.remoteSchemaVersion;
    f.remoteUser = m_state.remoteUser;
    f.remotePassword = m_state.remotePassword;
    f.masterUser = m_state.masterUser;
    f.masterPassword = m_state.masterPassword;
    if (!ownerForm(f)) {
        f.adminUser = GetQELDBAUsername(m_context);
        f.adminPassword = GetQELDBAPassword(m_context);
    }
    f.masterDatabaseName = m_state.masterDatabaseName;
    f.masterDataSource = m_state.masterDataSource;
    return f;
}

void Creation::stopEngine()
{
    const UtilityCommand stop = stopCommand(facts());
    m_command = stop.started;
    m_statement = stop.masked;
    m_status.setPresentStatus(m_statement);
    m_status.setProgressInformation(phrase(608));
    pause(1);
    try {
        writeLines(logPath(),
                   {QStringLiteral("[") + m_state.transferStartTime +
                        QStringLiteral("] *** Last Replication Attempt ***"),
                    m_statement},
                   QIODevice::WriteOnly | QIODevice::Truncate);
    } catch (const FileFailure& failure) {
        ReportError(m_context, 75, failure.description, Procedure, m_statement);
        throw ProgramExit(1);
    }

    const QDateTime stopStart = m_context.clock.now();
    m_status.setPresentStatus(QStringLiteral("ShellAndWait(") + m_statement + QLatin1Char(')'));
    int exitCode = 0;
    ShellAndWait(m_context, m_command, MinimizedFocus, 3000, &exitCode);
    // An engine that was not stopped still holds its files: replacing them would break it.
    if (stopStart.msecsTo(m_context.clock.now()) < 1000 || exitCode != 0) {
        m_status.setProgressInformation(QStringLiteral("Stopping Remote Database Failed"));
        StuffRepForm(m_context, m_status, logPath(), 0);
        m_context.ui.setBusy(false);
        m_context.ui.message(
            {phrase(145), phrase(552), MessageIcon::Critical, MessageButtons::Ok, std::nullopt});
        throw ProgramExit(1);
    }
    m_command = StuffRepForm(m_context, m_status, logPath(), 0);
}

void Creation::backUpMaster()
{
    for (qint16 pass = 0;; ++pass) {
        int exitCode = 0;
        try {
            writeLines(logPath(), {}, QIODevice::WriteOnly | QIODevice::Truncate);
            m_status.setPassNumber(QString::number(pass + 1));
            m_status.setProgressInformation(phrase(609));
            const UtilityCommand backup = backupCommand(facts());
            m_command = backup.started;
            m_statement = backup.masked;
            m_status.setPresentStatus(m_statement);
            writeLines(logPath(), {m_statement}, QIODevice::WriteOnly | QIODevice::Append);
        } catch (const FileFailure& failure) {
            ReportError(m_context, 75, failure.description, Procedure, m_statement);
            throw ProgramExit(1);
        }
        m_status.setPresentStatus(QStringLiteral("ShellAndWait(") + m_statement + QLatin1Char(')'));
        m_context.ui.yield();
        ShellAndWait(m_context, m_command, NormalFocus, 10000, &exitCode);
        m_command = StuffRepForm(m_context, m_status, logPath(), 1);
        m_status.setPresentStatus(m_command);

        m_state.remoteUser = m_state.masterUser;
        m_state.remotePassword = m_state.masterPassword;
        m_state.remoteConnected = false;
        m_status.setProgressInformation(phrase(610));
        // A backup that failed left the old file in place: reaching it proves nothing.
        if (exitCode == 0 && ConnectToRemote(m_context))
            return;
        if (exitCode == 0)
            m_status.setPresentStatus(phrase(544) + QStringLiteral(" - First Pass"));
        pause(2);
        if (pass > 3) {
            ReportError(m_context, 0, QString(), Procedure, m_statement);
            throw ProgramExit(1);
        }
    }
}

void Creation::prepareCopy()
{
    m_status.setPresentStatus(phrase(611));
    pause(1);
    ConnectQELDBAToRemote(m_context);
    DisconnectQELDBAFromRemote(m_context);
    DisconnectFromRemote(m_context);
    m_state.remoteConnected = false;

    m_status.setPresentStatus(phrase(ConnectToRemote(m_context) ? 612 : 613));
    pause(1);
    m_status.setPresentStatus(phrase(ConnectQELDBAToRemote(m_context) ? 614 : 615));
    pause(1);
    m_status.setPresentStatus(QStringLiteral("Connected to Remote Database - Second Pass"));
    pause(1);

    m_status.setProgressInformation(phrase(616));
    m_status.setPresentStatus(phrase(617));
    pause(1);
    try {
        m_statement = QStringLiteral("delete from mt.inuse;delete from mt.qel_vr_log;delete from "
                                     "mt.qel_vr_transfer_log;commit;");
        adminConnection(m_context, Side::Remote).execute(m_statement);
        m_status.setPresentStatus(phrase(620));
        pause(1);
        m_statement = QStringLiteral("update mt.dbconfig set dbremote=1;commit");
        adminConnection(m_context, Side::Remote).execute(m_statement);
    } catch (const DbError& e) {
        ReportError(m_context, e, Procedure, m_statement);
        throw ProgramExit(1);
    }
}

void Creation::recordHistory()
{
    m_status.setPresentStatus(phrase(240));
    m_state.transferStopTime = now();
    ConnectToMaster(m_context);
    const QString comments = m_status.resultLine(5) + QLatin1Char(' ') + m_status.resultLine(6) +
                             QStringLiteral("  ") + m_command;
    const QString pass = QString::number(m_status.passNumber().toInt());
    m_statement =
        QStringLiteral("insert into mt.qel_vr_transfer_log(host_name,user_name,start_time,"
                       "transfer_type,num_records,stop_time,user_account,comments)values(") +
        QStringList{sqlText(m_state.remoteMachineName),
                    sqlText(m_state.masterUser),
                    sqlText(m_state.transferStartTime),
                    QStringLiteral("'Replicate'"),
                    sqlText(pass),
                    sqlText(m_state.transferStopTime),
                    sqlText(m_state.operatingSystemUser),
                    sqlText(comments)}
            .join(QLatin1Char(',')) +
        QStringLiteral(");commit");
    try {
        userConnection(m_context, Side::Master).execute(m_statement);
    } catch (const DbError& e) {
        ReportError(m_context, e, Procedure, m_statement);
        throw ProgramExit(1);
    }
}

void Creation::finish(bool& firstTime)
{
    m_status.setPresentStatus(phrase(621));
    firstTime = firstTimeNow(m_context);
    m_status.setPresentStatus(phrase(622));
    pause(1);
    DisconnectQELDBAFromRemote(m_context);
    DisconnectFromRemote(m_context);
    DisconnectQELDBAFromMaster(m_context);
    DisconnectFromMaster(m_context);
    m_context.ui.setBusy(false);
    m_status.setProgressInformation(phrase(623));
    m_status.setPresentStatus(QStringLiteral("Replication Completed [") + now() + QLatin1Char(']'));
    if (m_state.commandLine.left(9).toUpper() != QLatin1String("-AUTOSYNC"))
        m_context.ui.message(
            {phrase(524), phrase(525), MessageIcon::Information, MessageButtons::Ok, std::nullopt});
    throw ProgramExit(completedStatus());
}

int Creation::completedStatus() const
{
    const CopyState& copy = m_context.tableCopy;
    return copy.syncLogBlocks > 0 || copy.syncLogUnwritable ? 2 : 0;
}

} // namespace

QStringList pendingChangeLines(const RemoteContext& context)
{
    std::unique_ptr<Recordset> rows =
        userConnection(context, Side::Remote)
            .openRecordset(QStringLiteral("select * from mt.qel_vr_log where sync_date is null"));
    QStringList header;
    for (int i = 0; i < rows->fieldCount(); ++i)
        header.append(rows->fieldName(i));
    QStringList lines{header.join(QLatin1Char('\t'))};
    for (; !rows->eof(); rows->moveNext()) {
        QStringList fields;
        for (int i = 0; i < rows->fieldCount(); ++i)
            fields.append(escapedField(rows->value(i)));
        lines.append(fields.join(QLatin1Char('\t')));
    }
    rows->close();
    return lines;
}

void CreateRemoteDatabase(const RemoteContext& context, bool& firstTime)
{
    Creation(context).run(firstTime);
}
