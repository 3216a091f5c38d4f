#pragma once

#include <QString>

struct SessionState;

// The program's logs live beside the Remote Database file. Before the first connect that
// folder is unknown, and the per-user data folder takes its place.
QString logFilePath(const SessionState& state, const QString& fileName);

// Appends text to a log file, creating it (and its folder) when missing; false on failure.
bool appendToLog(const QString& path, const QString& text);
