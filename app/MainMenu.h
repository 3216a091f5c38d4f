#pragma once

#include "views/MenuModel.h"

class Program;

// What the main window's menu commands do. The window forwards clicks here and renders
// the menu model; nothing here touches a widget.
class MainMenu
{
public:
    explicit MainMenu(Program& program) : m_program(program) {}

    // Recounts pending work and sets the menus; does nothing unless both databases are
    // connected.
    void UpdateMenuStatus();

    // A menu item was chosen (a command this version does not carry yet does nothing).
    void onCommand(MenuId id);
    void onTransferMenuOpened();
    void onRunCounter();
    // The running counter's caption from its flag.
    void showRunningCounterState();
    void onAbout();
    // Exit: ends the process (ProgramExit) unless the user answers No.
    void onExit();
    // Closing the main window: ends the process (ProgramExit), or returns when the user
    // keeps the program running.
    void onClose();

    void onReLogin();

private:
    void onNewRecords();
    void onGetDatabase();
    void onAllRecords();
    void onViewer(bool changeLog);
    bool mayEndWithoutAsking() const;
    bool confirmExit();

    Program& m_program;
};
