#pragma once

#include "base/Clock.h"
#include "app/MainMenu.h"
#include "views/MenuModel.h"
#include "base/SessionState.h"
#include "base/Ui.h"
#include "copy/CopyState.h"
#include "db/Connection.h"
#include "session/ConnectForm.h"
#include "views/StatisticsSheet.h"

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
    CopyState tableCopy;        // temporary tables, trace, sync-error flag, column formats
    StatisticsSheet statistics; // the statistics window's boxes, with or without the window
};
