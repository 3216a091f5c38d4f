#pragma once

class Program;

// Gathers the session facts from both open connections: schema version, database and
// engine names and versions, the remote database file and folder, the users' segregates
// and levels, the operating-system user and the locale separators; then clears what an
// earlier run left behind. A failure is reported (VRW1,StartupFunctions).
void StartupFunctions(Program& program);

// True when the Remote Database has no change-log table yet, i.e. this program has never
// prepared it.
bool FirstTime(Program& program);
