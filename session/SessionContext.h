#pragma once

#include "base/BaseContext.h"
#include "db/Connection.h"
#include "session/OpenSessions.h"

// What the sessions need beyond the base: where connections come from, and the ones open.
struct SessionContext : BaseContext
{
    ConnectionFactory& connections;
    OpenSessions& sessions;
};
