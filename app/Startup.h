#pragma once

#include <QString>

class InstanceLock;
class Program;

// The main window's start-up: phrases, single instance, command line, menus, and the
// automatic modes. Returns when the program goes on interactively; throws ProgramExit when
// it ends (an automatic run's end, a second instance, a missing phrase file, a fatal error).
void runStartup(Program& program, const QString& commandLine, InstanceLock& lock);

// Takes the connection keys of a command line longer than nine characters into the session.
void ParseCommand(Program& program, const QString& line);
