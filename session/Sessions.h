#pragma once

#include "db/Connection.h"

#include <QString>

class Program;

enum class Side { Master, Remote };

// The user's connection to one database. Throws DbError ("not connected") when there is
// none, so a statement sent before a connect fails like one sent over a lost connection.
Connection& userConnection(Program& program, Side side);
// The administrator connection to one database, likewise.
Connection& adminConnection(Program& program, Side side);

// Opens and verifies the user connection: up to ten one-second checks. True when connected;
// returns at once when already connected. Never reports: the caller decides what to say.
bool ConnectToMaster(Program& program);
bool ConnectToRemote(Program& program);

// Closes the user connection when connected (the master one also closes the master
// administrator connection); the remote administrator connection is left as it is.
void DisconnectFromMaster(Program& program);
void DisconnectFromRemote(Program& program);

// Opens the administrator connection (the user's own credentials for "MT", else the
// administrator's), connecting the user first when needed. No retries.
bool ConnectQELDBAToMaster(Program& program);
bool ConnectQELDBAToRemote(Program& program);
void DisconnectQELDBAFromMaster(Program& program);
void DisconnectQELDBAFromRemote(Program& program);

// The administrator's credentials (see AdminCredentials).
QString GetQELDBAUsername(Program& program);
QString GetQELDBAPassword(Program& program);

// Takes the master database name from the master data source's "DatabaseName" key, when it
// has one.
void GetMasterDatabaseName(Program& program);
