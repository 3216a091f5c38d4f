#pragma once

#include <functional>

// Ends the process: thrown wherever the program decides to stop and caught in main, so
// every path unwinds (and can be tested) instead of calling std::exit from deep inside.
class ProgramExit
{
public:
    explicit ProgramExit(int code) : m_code(code) {}
    int code() const { return m_code; }

private:
    int m_code;
};

// Qt must never see an exception leave a slot. Every entry point the event loop calls runs
// through runGuarded: a ProgramExit is turned into a request to end the event loop, and the
// next yield of any work still on the stack unwinds with the same exit code.
void runGuarded(const std::function<void()>& entryPoint);

// Throws the pending ProgramExit, if an entry point asked to end the process.
void throwIfExitPending();

// The exit code asked for by a guarded entry point, if any (for main).
bool exitPending();
int pendingExitCode();
