#pragma once

#include <QString>
#include <QtGlobal>

struct BaseContext;

// The window states a started program may be asked for (a console utility on this platform
// opens no window, so they are accepted and not used).
inline constexpr qint16 NormalFocus = 1;
inline constexpr qint16 MinimizedFocus = 2;

// Starts a command line (the program and its arguments, double quotes grouping words) and
// waits until the process ends: it sleeps the poll interval through the clock, lets window
// events run, and looks again, so even a program that ends at once costs one interval. There
// is no time-out, and the exit code is not judged. A command that cannot be started is
// reported (VRW1,ShellAndWait, with the step under way in place of a statement). Returns 0;
// the process's exit code goes to exitCode when one is given (-1 when it crashed or could
// not be started).
qint32 ShellAndWait(const BaseContext& context, const QString& command, qint16 windowState,
                    qint16 pollIntervalMs, int* exitCode = nullptr);
