#pragma once

#include "copy/CopyState.h"
#include "session/SessionContext.h"
#include "views/StatisticsSheet.h"

// What the table-copy engine and the transfers use: the sessions, the copy engine's own state,
// and the statistics sheet the transfers write their counts and trace into.
struct CopyContext : SessionContext
{
    CopyState& tableCopy;
    StatisticsSheet& statistics;
};
