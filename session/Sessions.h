#pragma once

#include "db/Connection.h"
#include "session/OpenSessions.h"

#include <QString>
#include <optional>

struct BaseContext;
struct SessionContext;

enum class Side
{
    Master,
    Remote
};

// The user's connection to one database. Throws DbError ("not connected") when there is
// none, so a statement sent before a connect fails like one sent over a lost connection.
Connection& userConnection(const SessionContext& context, Side side);
// The administrator connection to one database, likewise.
Connection& adminConnection(const SessionContext& context, Side side);

// Opens and verifies the user connection: up to ten one-second checks, the windows served
// while it waits. True when connected; returns at once when already connected. A data source
// that is empty or not configured is refused before any attempt, and a failure no retry can
// mend (a refused login, a data source or driver the driver manager does not know) ends the
// checks at once. Never reports: the caller decides what to say, from connectFailure().
bool ConnectToMaster(const SessionContext& context);
bool ConnectToRemote(const SessionContext& context);

// Whether a side's data source can be connected to at all (given, and configured), so that
// a connect can be refused before either database is tried; the failure is recorded as a
// connect's is.
bool checkDataSource(const SessionContext& context, Side side);

// Why the last ConnectToMaster / ConnectToRemote failed; nothing after a success.
std::optional<ConnectFailure> connectFailure(const SessionContext& context, Side side);

// Closes the user connection when connected (the master one also closes the master
// administrator connection); the remote administrator connection is left as it is.
void DisconnectFromMaster(const SessionContext& context);
void DisconnectFromRemote(const SessionContext& context);

// Opens the administrator connection (the user's own credentials for "MT", else the
// administrator's), connecting the user first when needed. No retries.
bool ConnectQELDBAToMaster(const SessionContext& context);
bool ConnectQELDBAToRemote(const SessionContext& context);
void DisconnectQELDBAFromMaster(const SessionContext& context);
void DisconnectQELDBAFromRemote(const SessionContext& context);

// How long a statement waits for a lock another program holds before it fails, in seconds:
// the environment variable VARROW_LOCK_WAIT, else the setting LockWaitSeconds of section
// Configuration, else 30. Values that are no whole number of at least 1 are passed over.
// Every connection the sessions open is told this bound.
int lockWaitSeconds(const BaseContext& context);

// The administrator's credentials (see AdminCredentials).
QString GetQELDBAUsername(const SessionContext& context);
QString GetQELDBAPassword(const SessionContext& context);

// Takes the master database name from the master data source's "DatabaseName" key, when it
// has one.
void GetMasterDatabaseName(const SessionContext& context);
