#pragma once

#include <QString>

struct CopyContext;

// The code trace of the statistics window, written only under the DEBUGGING switch.

// Replaces the trace box's content.
void showCopyTrace(const CopyContext& context, const QString& text);
// Adds a line to what the trace box shows.
void appendCopyTrace(const CopyContext& context, const QString& line);
