#pragma once

#include "base/Clock.h"
#include "base/ProgramEvents.h"
#include "base/SessionState.h"
#include "base/Ui.h"

#include <QSettings>

// What every procedure may use: the session record, the user, the clock, the settings store,
// and the way up to the program above.
struct BaseContext
{
    SessionState& state;
    Ui& ui;
    Clock& clock;
    QSettings& settings;
    ProgramEvents& events;

    const QString& phrase(int number) const { return state.phrases[number]; }
};
