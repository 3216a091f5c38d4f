#pragma once

#include "app/Clock.h"
#include "app/MainMenu.h"
#include "app/MenuModel.h"
#include "app/SessionState.h"
#include "app/Ui.h"
#include "db/Connection.h"
#include "db/ConnectForm.h"

#include <QSettings>

// The program's composition root: the session record and the seams to the outside world
// (user, clock, database connections, settings store), handed to every procedure.
class Program
{
public:
    Program(Ui& ui, Clock& clock, ConnectionFactory& connections);

    const QString& phrase(int number) const { return state.phrases[number]; }

    SessionState state;
    Ui& ui;
    Clock& clock;
    ConnectionFactory& connections;
    QSettings settings; // the per-user store of the application "VARROW"
    MenuModel menus;
    MainMenu mainMenu;
    ConnectForm connectForm;
};
