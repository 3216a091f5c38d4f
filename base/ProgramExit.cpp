#include "base/ProgramExit.h"

#include <QCoreApplication>
#include <cstdio>
#include <exception>
#include <optional>

namespace {
std::optional<int> g_pendingExit;
}

void runGuarded(const std::function<void()>& entryPoint)
{
    try {
        entryPoint();
    } catch (const ProgramExit& exit) {
        if (!g_pendingExit)
            g_pendingExit = exit.code();
        QCoreApplication::exit(*g_pendingExit);
    } catch (const std::exception& failure) {
        // A failure that no procedure handled: end as after an error message rather than
        // let it cross the event loop.
        std::fprintf(stderr, "vrw1: unexpected failure: %s\n", failure.what());
        if (!g_pendingExit)
            g_pendingExit = 1;
        QCoreApplication::exit(*g_pendingExit);
    }
}

void throwIfExitPending()
{
    if (g_pendingExit)
        throw ProgramExit(*g_pendingExit);
}

bool exitPending()
{
    return g_pendingExit.has_value();
}

int pendingExitCode()
{
    return g_pendingExit.value_or(0);
}
