#include "session/Sessions.h"

#include "app/Program.h"
#include "session/AdminCredentials.h"
#include "db/ConnectionString.h"
#include "db/DataSources.h"
#include "db/DbErrors.h"

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
};

SideState sideState(SessionState& s, Side side)
{
    if (side == Side::Master)
        return {s.masterDataSource, s.masterUser, s.masterPassword, s.masterConnection,
                s.masterAdminConnection, s.masterConnected};
    return {s.remoteDataSource, s.remoteUser, s.remotePassword, s.remoteConnection,
            s.remoteAdminConnection, s.remoteConnected};
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

void openNew(Program& program, SideState& side)
{
    side.connection = program.connections.create();
    if (side.connection) {
        side.connection->setConnectionString(connectionString(side.dataSource, side.user, side.password));
        side.connection->open();
    }
    program.ui.yield();
}

// Each check waits a second first: a connection may need a moment before it reports open.
bool connectSide(Program& program, Side which)
{
    SideState side = sideState(program.state, which);
    if (side.connected)
        return true;
    discard(side.connection);
    program.ui.yield();
    openNew(program, side);
    constexpr int checks = 10;
    for (int check = 1; check <= checks; ++check) {
        program.clock.sleep(1000);
        if (isOpen(side.connection)) {
            side.connected = true;
            return true;
        }
        if (check == checks)
            break;
        discard(side.connection);
        program.ui.yield();
        openNew(program, side);
    }
    side.connected = false;
    return false;
}

bool connectAdmin(Program& program, Side which)
{
    SideState side = sideState(program.state, which);
    if (!side.connected && !connectSide(program, which))
        return false;
    QString text;
    if (side.user.toUpper() == QLatin1String("MT")) {
        text = connectionString(side.dataSource, side.user, side.password);
    } else {
        const AdminCredentials admin = AdminCredentials::load(program);
        text = connectionString(side.dataSource, admin.user, admin.password);
    }
    if (!side.admin)
        side.admin = program.connections.create();
    if (!side.admin)
        return false;
    side.admin->setConnectionString(text);
    side.admin->open();
    program.ui.yield();
    return side.admin->state() == 1;
}

} // namespace

Connection& userConnection(Program& program, Side side)
{
    std::unique_ptr<Connection>& c = sideState(program.state, side).connection;
    if (!c)
        throw DbErrors::notConnected();
    return *c;
}

Connection& adminConnection(Program& program, Side side)
{
    std::unique_ptr<Connection>& c = sideState(program.state, side).admin;
    if (!c)
        throw DbErrors::notConnected();
    return *c;
}

bool ConnectToMaster(Program& program)
{
    return connectSide(program, Side::Master);
}

bool ConnectToRemote(Program& program)
{
    return connectSide(program, Side::Remote);
}

void DisconnectFromMaster(Program& program)
{
    SideState side = sideState(program.state, Side::Master);
    if (!side.connected)
        return;
    if (isOpen(side.admin))
        side.admin->close();
    discard(side.connection);
    side.connected = false;
}

void DisconnectFromRemote(Program& program)
{
    SideState side = sideState(program.state, Side::Remote);
    if (!side.connected)
        return;
    discard(side.connection);
    side.connected = false;
}

bool ConnectQELDBAToMaster(Program& program)
{
    return connectAdmin(program, Side::Master);
}

bool ConnectQELDBAToRemote(Program& program)
{
    return connectAdmin(program, Side::Remote);
}

void DisconnectQELDBAFromMaster(Program& program)
{
    SideState side = sideState(program.state, Side::Master);
    if (isOpen(side.admin) && side.connected)
        discard(side.admin);
}

void DisconnectQELDBAFromRemote(Program& program)
{
    SideState side = sideState(program.state, Side::Remote);
    if (isOpen(side.admin) && side.connected) {
        discard(side.admin);
        program.ui.yield();
    }
}

QString GetQELDBAUsername(Program& program)
{
    return AdminCredentials::load(program).user;
}

QString GetQELDBAPassword(Program& program)
{
    return AdminCredentials::load(program).password;
}

void GetMasterDatabaseName(Program& program)
{
    program.ui.setBusy(true);
    // The configuration the driver manager connects with: a user data source of that name
    // hides a system one, so its key is the one that names the database actually used.
    const std::optional<QString> name =
        DataSources::value(program.state.masterDataSource, QStringLiteral("DatabaseName"));
    if (name)
        program.state.masterDatabaseName = *name;
    program.ui.setBusy(false);
}
