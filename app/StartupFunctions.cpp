#include "app/StartupFunctions.h"

#include "app/Program.h"
#include "base/ErrorReporter.h"
#include "base/Locale.h"
#include "copy/Catalogue.h"
#include "copy/SqlLiteral.h"
#include "copy/TempTables.h"
#include "db/Command.h"
#include "session/SchemaOwner.h"
#include "session/Sessions.h"

#include <cmath>
#include <pwd.h>
#include <unistd.h>

namespace {

QString text(const DbValue& value)
{
    return value.value_or(QString());
}

// A field that must hold a value: NULL fails like a missing row does.
QString required(Recordset& rs, const QString& field)
{
    const DbValue value = rs.value(field);
    if (!value)
        throw DbError(94, QStringLiteral("Invalid use of Null: %1").arg(field));
    return *value;
}

struct EngineFacts
{
    QString name, version, platform, machine;
};

EngineFacts engineFacts(Command& command)
{
    command.setCommandText(QStringLiteral("call sa_eng_properties()"));
    EngineFacts facts;
    for (auto rs = command.open(); !rs->eof(); rs->moveNext()) {
        const QString property = text(rs->value(QStringLiteral("PropName")));
        const QString value = text(rs->value(QStringLiteral("value")));
        if (property == QLatin1String("Name"))
            facts.name = value;
        else if (property == QLatin1String("ProductVersion"))
            facts.version = value;
        else if (property == QLatin1String("Platform"))
            facts.platform = value;
        else if (property == QLatin1String("MachineName"))
            facts.machine = value;
    }
    return facts;
}

void userSecurity(Command& command, const QString& user, QString& segregate, qint16& level)
{
    if (isSchemaOwner(user)) {
        segregate = SchemaOwner;
        level = 5;
        return;
    }
    command.setCommandText(QStringLiteral("select i4240,mtlevel from mt.userlist where mtuser = ") +
                           sqlText(user));
    auto rs = command.open();
    segregate = required(*rs, QStringLiteral("i4240"));
    level =
        static_cast<qint16>(std::nearbyint(required(*rs, QStringLiteral("mtlevel")).toDouble()));
}

// The folder part of a file path, whichever separator the engine's platform writes.
QString folderOf(const QString& file)
{
    const qsizetype at =
        std::max(file.lastIndexOf(QLatin1Char('\\')), file.lastIndexOf(QLatin1Char('/')));
    return at < 0 ? QString() : file.left(at);
}

QString operatingSystemUser()
{
    // The variable the history records, else the account the process runs as.
    const QString name = qEnvironmentVariable("USERNAME");
    if (!name.isEmpty())
        return name;
    if (const passwd* account = ::getpwuid(::getuid()))
        return QString::fromLocal8Bit(account->pw_name);
    return qEnvironmentVariable("USER");
}

} // namespace

void StartupFunctions(Program& program)
{
    SessionState& s = program.state;
    program.ui.setBusy(true);
    Command master;
    Command remote;
    Command* current = &remote;
    try {
        master.setActiveConnection(&userConnection(program, Side::Master));
        remote.setActiveConnection(&userConnection(program, Side::Remote));

        remote.setCommandText(QStringLiteral("select version from mt.dbconfig"));
        s.remoteSchemaVersion = required(*remote.open(), QStringLiteral("version")).left(1);

        current = &master;
        master.setCommandText(QStringLiteral("call sa_db_info()"));
        {
            auto rs = master.open();
            s.masterDatabaseName = text(rs->value(QStringLiteral("alias")));
            s.masterDatabaseFile = text(rs->value(QStringLiteral("file"))).trimmed();
        }
        master.setCommandText(QStringLiteral("select dbremote from mt.dbconfig"));
        s.masterMarkedRemote = text(master.open()->value(0)).trimmed() == QLatin1String("1");

        current = &remote;
        remote.setCommandText(QStringLiteral("call sa_db_info()"));
        {
            auto rs = remote.open();
            s.remoteDatabaseFile = text(rs->value(QStringLiteral("file"))).trimmed();
            if (!rs->value(QStringLiteral("logname")))
                rs->moveNext();
            s.remoteDatabaseName = text(rs->value(QStringLiteral("alias"))).trimmed();
        }

        current = &master;
        const EngineFacts masterEngine = engineFacts(master);
        s.masterEngineName = masterEngine.name;
        s.masterEngineVersion = masterEngine.version;
        s.masterMachineName = masterEngine.machine;

        current = &remote;
        const EngineFacts remoteEngine = engineFacts(remote);
        s.remoteEngineName = remoteEngine.name;
        s.remoteEngineVersion = remoteEngine.version;
        s.remotePlatform = remoteEngine.platform;
        s.remoteMachineName = remoteEngine.machine;

        s.remoteDatabaseFolder = folderOf(s.remoteDatabaseFile);

        current = &master;
        userSecurity(master, s.masterUser, s.masterUserSegregate, s.masterUserLevel);
        current = &remote;
        userSecurity(remote, s.remoteUser, s.remoteUserSegregate, s.remoteUserLevel);
    } catch (const DbError& e) {
        ReportError(program, e, QStringLiteral("VRW1,StartupFunctions"), current->commandText());
        return;
    }

    s.operatingSystemUser = operatingSystemUser();
    const QLocale locale = userDefaultLocale();
    s.decimalSeparator = GetLocaleInfo(program, locale, LocaleDecimalSeparator);
    s.thousandsSeparator = GetLocaleInfo(program, locale, LocaleThousandsSeparator);

    DropTempTables(program);
    program.tableCopy.syncError = false;
    s.runningCounter = false;
    program.mainMenu.showRunningCounterState();
    program.ui.setBusy(false);
}

bool FirstTime(Program& program)
{
    // Only a clear "no such table" means first time: a failed look-up (a lost connection)
    // must not lead into replacing the Remote Database.
    const std::optional<bool> exists =
        tableExistsChecked(program, QStringLiteral("R"), QStringLiteral("qel_vr_log"));
    return exists.has_value() && !*exists;
}
