#pragma once

#include <QString>

struct RemoteContext;

// Replaces the Remote Database by a fresh copy of the Master Database: asks (unless under the
// AUTOSYNC switch), writes the change-log rows still pending to a file beside the backup log,
// closes the sessions, stops the remote engine with dbstop, backs the master up into the
// remote's folder with dbbackup (up to five passes until the copy can be reached), empties
// the copy's in-use table, change log and history, marks it as a remote copy, records a
// 'Replicate' row in the master's history, and ends the process. Returns only when the user
// declined, or after a lost connection was reported. firstTime receives the recomputed
// first-time flag at the end of a run.
void CreateRemoteDatabase(const RemoteContext& context, bool& firstTime);

// The change-log rows still pending on the Remote Database, one line per row: the column
// names, then each row's values, separated by tabs ("(NULL)" for NULL; tabs and line breaks
// inside a value written as \t, \n and \r, a backslash as \\). Throws DbError.
QStringList pendingChangeLines(const RemoteContext& context);
