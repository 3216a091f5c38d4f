#pragma once

#include <QString>
#include <optional>

struct BaseContext;

// The names of the engine's utilities on this platform.
inline constexpr char StopUtility[] = "dbstop";
inline constexpr char BackupUtility[] = "dbbackup";

// The folder of the engine's utilities for a data source's "Start" value: the part before
// the first "dbsrv", else before the first "dbeng" (both compared with case), kept only when
// both utilities are files in it; empty otherwise, and when there is no value.
QString engineFolderOf(const std::optional<QString>& start);

// The folder of the engine's utilities, from the "Start" key of the Remote Database's data
// source (the system ODBC configuration first, then the user's), ending in "/"; empty when
// it is not known, and the utilities are then looked for on the search path. Never reports.
QString GetEngineFolder(const BaseContext& context);
