#pragma once

// What the lower layers ask of the program above them. The composition root implements it;
// the layers below only call it.
class ProgramEvents
{
public:
    virtual ~ProgramEvents() = default;

    // The connection to a database is gone: the user signs in again.
    virtual void connectionLost() = 0;
    // Pending work changed: recount it, set the pending flags and the menus.
    virtual void UpdateMenuStatus() = 0;
    // The running counter was switched: show its state in the menu caption.
    virtual void showRunningCounterState() = 0;
};
