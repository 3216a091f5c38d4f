#pragma once

#include <QString>

class Program;

// The code trace of the statistics window, written only under the DEBUGGING switch.

// Replaces the trace box's content.
void showCopyTrace(Program& program, const QString& text);
// Adds a line to what the trace box shows.
void appendCopyTrace(Program& program, const QString& line);
