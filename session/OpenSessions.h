#pragma once

#include "db/Connection.h"

#include <memory>
#include <optional>

// Why the last connect of one database failed.
struct ConnectFailure
{
    DbError error;        // the driver's reason, or which data source is missing; no password
    bool retried = false; // true when every check failed: a failure that may pass later
};

// The four connections of a run: the user's own and the administrator's, to each database;
// and why the user's connection to each could not be made, when it could not.
struct OpenSessions
{
    std::unique_ptr<Connection> masterConnection, remoteConnection;
    std::unique_ptr<Connection> masterAdminConnection, remoteAdminConnection;
    std::optional<ConnectFailure> masterFailure, remoteFailure;
};
