#pragma once

#include "app/Program.h"
#include "tests/support/FakeClock.h"
#include "tests/support/ScriptedUi.h"

#include <memory>

// A program wired to a scripted user and a fake clock, with the settings store emptied.
// Connections come from the given factory (none by default).
class TestProgram
{
public:
    explicit TestProgram(ConnectionFactory* connections = nullptr);

    ScriptedUi ui;
    FakeClock clock;
    Program& program() { return *m_program; }
    SessionState& state() { return m_program->state; }
    // Loads the phrase file delivered with the program.
    void loadDeliveredPhrases();

private:
    std::unique_ptr<ConnectionFactory> m_none;
    std::unique_ptr<Program> m_program;
};
