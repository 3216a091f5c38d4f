#pragma once

#include "app/ConnectCommands.h"
#include "app/MainMenu.h"
#include "app/RemoteDatabaseLock.h"
#include "copy/CopyContext.h"
#include "remote/RemoteContext.h"
#include "session/ConnectDialogModel.h"
#include "views/MenuModel.h"

// The composition root: it owns the session record, the open connections, the copy engine's
// state, the models behind the windows and the commands, and implements what the layers below
// ask of the program. It hands each procedure the context that procedure needs: a Program
// converts to every context (CopyContext, SessionContext, BaseContext).
class Program final : public ProgramEvents
{
public:
    Program(Ui& ui, Clock& clock, ConnectionFactory& connections);
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    operator CopyContext&() { return m_context; }
    const QString& phrase(int number) const { return state.phrases[number]; }

    void connectionLost() override;
    void UpdateMenuStatus() override;
    void showRunningCounterState() override;

    SessionState state;
    Ui& ui;
    Clock& clock;
    ConnectionFactory& connections;
    QSettings settings; // the per-user store of the application "VARROW"
    OpenSessions sessions;
    CopyState tableCopy; // temporary tables, trace, sync-error flag, column formats
    RemoteDatabaseLock remoteLock;

private:
    BaseContext m_base{state, ui, clock, settings, *this};

public:
    StatisticsSheet statistics{m_base}; // the statistics window's boxes, with or without it
    MenuModel menus;

private:
    CopyContext m_context{{m_base, connections, sessions}, tableCopy, statistics};

public:
    ConnectDialogModel connectDialog{m_context, menus};
    MainMenu mainMenu{*this};
    ConnectCommands connectCommands{*this};
    RepStatusSheet repStatus; // the replication status window's boxes

    // The context of the creation of a Remote Database (not a conversion, so that a Program
    // still converts to the other contexts without ambiguity).
    const RemoteContext& remoteContext() const { return m_remote; }

private:
    RemoteContext m_remote{m_context, repStatus, menus, connectDialog};
};
