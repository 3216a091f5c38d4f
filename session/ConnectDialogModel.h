#pragma once

#include "session/SessionContext.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>

class MenuModel;

// The connect dialog's state: the data-source lists, the four text fields, tab order, focus
// and position. The window shows it and writes the user's edits back; what the dialog does
// with them (connect, connect and synchronise) is ConnectCommands' work. Runs and is tested
// without a window.
class ConnectDialogModel : public QObject
{
    Q_OBJECT
public:
    enum class Field
    {
        ComboMasterDatasource,
        TextMasterUsername,
        TextMasterPassword,
        ComboRemoteDatasource,
        TextRemoteUsername,
        TextRemotePassword,
        CommandConnect,
        CommandDoItAll,
        CommandExit,
    };

    ConnectDialogModel(const SessionContext& context, MenuModel& menus);

    bool isLoaded() const { return m_loaded; }
    // Loads the dialog when it is not loaded (lists, saved user names, position, menus off).
    void load();
    // Loads it if needed and shows it.
    void show();
    // Saves the position, closes the window and lets the user re-login from the menu.
    void close();
    // The dialog's unload (the window's close box ends here too).
    void unload();

    // The dialog's Exit button: ends the process (ProgramExit) when the user confirms.
    void CommandExit();

    // The data-source names both lists offer, and the selected entry of each (-1: none).
    QStringList dataSources;
    int masterIndex = -1;
    int remoteIndex = -1;
    QString masterDataSourceText() const;
    QString remoteDataSourceText() const;

    QString masterUser, masterPassword, remoteUser, remotePassword;
    QString& text(Field field);

    QList<Field> tabOrder;
    std::optional<Field> focus;
    double leftTwips = 975;
    double topTwips = 1980;

    // Moves these fields to the front of the tab order, the others keeping their order.
    void putFirst(const QList<Field>& fields);
    void setFocus(Field field);
    // Tells the window that the state changed.
    void notify() { Q_EMIT changed(); }

    // A failed connect: the message (with the hint that no connection opened within the time
    // allowed when asked, then the reason when there is one), the master disconnected when the
    // remote failed, and the failed side's field in focus.
    void failureExit(int phrase, bool remoteFailed, bool withHint,
                     const QString& reason = QString());
    // Keeps the chosen data sources and user names (never a password) for the next start.
    void saveSignIn();
    // Only the schema owner may prepare a new Remote Database: the owner's name is put into
    // the user fields that need it (the remote one, and the master one too unless the master
    // user is the owner already), their passwords emptied and first in the tab order.
    void askForSchemaOwner(bool masterIsOwner);
    // A user without the rights needed: both disconnected, the message, the dialog shown with
    // the concerned fields emptied and first in the tab order.
    void rightsFailure(int phrase, bool remoteOnly);

Q_SIGNALS:
    void changed();

private:
    SessionContext m_context;
    MenuModel& m_menus;
    bool m_loaded = false;
};
