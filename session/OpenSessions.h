#pragma once

#include "db/Connection.h"

#include <memory>

// The four connections of a run: the user's own and the administrator's, to each database.
struct OpenSessions
{
    std::unique_ptr<Connection> masterConnection, remoteConnection;
    std::unique_ptr<Connection> masterAdminConnection, remoteAdminConnection;
};
