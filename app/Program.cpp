#include "app/Program.h"

Program::Program(Ui& ui_, Clock& clock_, ConnectionFactory& connections_)
    : ui(ui_), clock(clock_), connections(connections_),
      settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("VARROW"))
{
}

void Program::connectionLost()
{
    connectDialog.show();
}

void Program::UpdateMenuStatus()
{
    mainMenu.UpdateMenuStatus();
}

void Program::showRunningCounterState()
{
    mainMenu.showRunningCounterState();
}
