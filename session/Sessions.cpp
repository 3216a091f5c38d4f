#include "session/Sessions.h"

#include "base/Clock.h"
#include "base/Settings.h"
#include "base/Ui.h"
#include "db/ConnectionString.h"
#include "db/DataSources.h"
#include "db/DbErrors.h"
#include "session/AdminCredentials.h"
#include "session/OpenSessions.h"
#include "session/SchemaOwner.h"
#include "session/SessionContext.h"

#include <algorithm>

namespace {

// The fields of one side of the session record.
struct SideState
{
    QString& dataSource;
    QString& user;
    QString& password;
    std::unique_ptr<Connection>& connection;
    std::unique_ptr<Connection>& admin;
    bool& connected;
    std::optional<ConnectFailure>& failure;
    const char* name; // for messages: "Master", "Remote"
    const char* key;  // the command-line key that names the data source
};

SideState sideState(const SessionContext& c, Side side)
{
    SessionState& s = c.state;
    OpenSessions& open = c.sessions;
    if (side == Side::Master)
        return {s.masterDataSource,
                s.masterUser,
                s.masterPassword,
                open.masterConnection,
                open.masterAdminConnection,
                s.masterConnected,
                open.masterFailure,
                "Master",
                "MDSN"};
    return {s.remoteDataSource,
            s.remoteUser,
            s.remotePassword,
            open.remoteConnection,
            open.remoteAdminConnection,
            s.remoteConnected,
            open.remoteFailure,
            "Remote",
            "RDSN"};
}

bool isOpen(const std::unique_ptr<Connection>& connection)
{
    return connection && connection->state() == 1;
}

void discard(std::unique_ptr<Connection>& connection)
{
    if (connection)
        connection->close();
    connection.reset();
}

// An engine waits for a lock without end unless told otherwise. One that does not know the
// option still serves, only without the bound.
void boundLockWait(const SessionContext& context, Connection& connection)
{
    if (connection.state() != 1)
        return;
    try {
        connection.execute(QStringLiteral("set temporary option blocking_timeout = %1")
                               .arg(qint64(lockWaitSeconds(context)) * 1000));
    } catch (const DbError&) {
    }
}

// The connection string names the data source only: user and password go to open().
QString dataSourceOnly(const QString& dataSource)
{
    return QStringLiteral("DSN=") + ConnectionString::quoteValue(dataSource);
}

void openNew(const SessionContext& context, SideState& side)
{
    side.connection = context.connections.create();
    if (side.connection) {
        side.connection->setConnectionString(dataSourceOnly(side.dataSource));
        side.connection->open(side.user, side.password);
        boundLockWait(context, *side.connection);
    }
    context.ui.yield();
}

// Why a data source cannot be connected to at all: none given, or none of that name in the
// ODBC configuration. Nothing when it is configured, or when the driver manager cannot say.
std::optional<DbError> dataSourceProblem(const SideState& side)
{
    const QString name = side.dataSource.trimmed();
    if (name.isEmpty())
        return DbError(DbErrors::DataSourceMissing,
                       QStringLiteral("No data source is given for the %1 Database: choose one "
                                      "in the connect dialog, or name it with %2= on the command "
                                      "line.")
                           .arg(QLatin1String(side.name), QLatin1String(side.key)),
                       QStringLiteral("IM002"));
    try {
        for (const DataSources::Entry& entry : DataSources::list()) {
            if (entry.name.compare(name, Qt::CaseInsensitive) == 0)
                return std::nullopt;
        }
    } catch (const DbError&) {
        return std::nullopt; // the connect itself will tell
    }
    return DbError(DbErrors::DataSourceMissing,
                   QStringLiteral("The data source \"%1\" given for the %2 Database is not "
                                  "defined in the ODBC configuration.")
                       .arg(name, QLatin1String(side.name)),
                   QStringLiteral("IM002"));
}

// The reason a connection that did not open gives, when trying again cannot mend it.
std::optional<DbError> refusal(const std::unique_ptr<Connection>& connection)
{
    if (!connection || connection->state() == 1)
        return std::nullopt;
    const std::optional<DbError> error = connection->lastError();
    if (error && DbErrors::isRefusedConnect(error->sqlstate()))
        return error;
    return std::nullopt;
}

DbError lastReason(const std::unique_ptr<Connection>& connection)
{
    if (connection) {
        if (const std::optional<DbError> error = connection->lastError())
            return *error;
    }
    return DbError(DbErrors::DriverFailure, QStringLiteral("No connection could be made"),
                   QStringLiteral("08001"));
}

// The clock's pause in short slices, window events handled between them.
void pause(const SessionContext& context, int milliseconds)
{
    constexpr int slice = 100;
    for (int waited = 0; waited < milliseconds; waited += slice) {
        context.clock.sleep(std::min(slice, milliseconds - waited));
        context.ui.yield();
    }
}

// A connection that reports open at once is taken at once; otherwise each check waits a
// second first, as a connection may need a moment before it reports open.
bool connectSide(const SessionContext& context, Side which)
{
    SideState side = sideState(context, which);
    if (side.connected)
        return true;
    side.failure.reset();
    discard(side.connection);
    context.ui.yield();
    if (std::optional<DbError> problem = dataSourceProblem(side)) {
        side.failure = ConnectFailure{*problem, false};
        side.connected = false;
        return false;
    }
    openNew(context, side);
    if (isOpen(side.connection)) {
        side.connected = true;
        return true;
    }
    constexpr int checks = 10;
    for (int check = 1; check <= checks; ++check) {
        if (std::optional<DbError> refused = refusal(side.connection)) {
            side.failure = ConnectFailure{*refused, false};
            side.connected = false;
            return false;
        }
        pause(context, 1000);
        if (isOpen(side.connection)) {
            side.connected = true;
            return true;
        }
        if (check == checks)
            break;
        discard(side.connection);
        context.ui.yield();
        openNew(context, side);
    }
    side.failure = ConnectFailure{lastReason(side.connection), true};
    side.connected = false;
    return false;
}

bool connectAdmin(const SessionContext& context, Side which)
{
    SideState side = sideState(context, which);
    if (!side.connected && !connectSide(context, which))
        return false;
    QString user = side.user;
    QString password = side.password;
    if (!isSchemaOwner(side.user)) {
        const AdminCredentials admin = AdminCredentials::load(context);
        user = admin.user;
        password = admin.password;
    }
    if (!side.admin)
        side.admin = context.connections.create();
    if (!side.admin)
        return false;
    side.admin->setConnectionString(dataSourceOnly(side.dataSource));
    side.admin->open(user, password);
    boundLockWait(context, *side.admin);
    context.ui.yield();
    return side.admin->state() == 1;
}

} // namespace

Connection& userConnection(const SessionContext& context, Side side)
{
    std::unique_ptr<Connection>& c = sideState(context, side).connection;
    if (!c)
        throw DbErrors::notConnected();
    return *c;
}

Connection& adminConnection(const SessionContext& context, Side side)
{
    std::unique_ptr<Connection>& c = sideState(context, side).admin;
    if (!c)
        throw DbErrors::notConnected();
    return *c;
}

bool ConnectToMaster(const SessionContext& context)
{
    return connectSide(context, Side::Master);
}

bool ConnectToRemote(const SessionContext& context)
{
    return connectSide(context, Side::Remote);
}

bool checkDataSource(const SessionContext& context, Side which)
{
    SideState side = sideState(context, which);
    std::optional<DbError> problem = dataSourceProblem(side);
    if (problem)
        side.failure = ConnectFailure{*problem, false};
    return !problem;
}

std::optional<ConnectFailure> connectFailure(const SessionContext& context, Side side)
{
    return sideState(context, side).failure;
}

void DisconnectFromMaster(const SessionContext& context)
{
    SideState side = sideState(context, Side::Master);
    if (!side.connected)
        return;
    if (isOpen(side.admin))
        side.admin->close();
    discard(side.connection);
    side.connected = false;
}

void DisconnectFromRemote(const SessionContext& context)
{
    SideState side = sideState(context, Side::Remote);
    if (!side.connected)
        return;
    discard(side.connection);
    side.connected = false;
}

bool ConnectQELDBAToMaster(const SessionContext& context)
{
    return connectAdmin(context, Side::Master);
}

bool ConnectQELDBAToRemote(const SessionContext& context)
{
    return connectAdmin(context, Side::Remote);
}

void DisconnectQELDBAFromMaster(const SessionContext& context)
{
    SideState side = sideState(context, Side::Master);
    if (isOpen(side.admin) && side.connected)
        discard(side.admin);
}

void DisconnectQELDBAFromRemote(const SessionContext& context)
{
    SideState side = sideState(context, Side::Remote);
    if (isOpen(side.admin) && side.connected) {
        discard(side.admin);
        context.ui.yield();
    }
}

int lockWaitSeconds(const BaseContext& context)
{
    for (const QString& text : {qEnvironmentVariable("VARROW_LOCK_WAIT"),
                                GetRegSetting(context, QStringLiteral("Configuration"),
                                              QStringLiteral("LockWaitSeconds"))}) {
        bool number = false;
        const int seconds = text.trimmed().toInt(&number);
        if (number && seconds >= 1)
            return seconds;
    }
    return 30;
}

QString GetQELDBAUsername(const SessionContext& context)
{
    return AdminCredentials::load(context).user;
}

QString GetQELDBAPassword(const SessionContext& context)
{
    return AdminCredentials::load(context).password;
}

void GetMasterDatabaseName(const SessionContext& context)
{
    context.ui.setBusy(true);
    // The configuration the driver manager connects with: a user data source of that name
    // hides a system one, so its key is the one that names the database actually used.
    const std::optional<QString> name =
        DataSources::value(context.state.masterDataSource, QStringLiteral("DatabaseName"));
    if (name)
        context.state.masterDatabaseName = *name;
    context.ui.setBusy(false);
}
