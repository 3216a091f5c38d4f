#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>

class Program;

// The connect dialog's state: the data-source lists, the four text fields, tab order, focus
// and position. The window shows it and writes the user's edits back; everything the dialog
// decides happens here, so it runs (and is tested) without a window.
class ConnectForm : public QObject
{
    Q_OBJECT
public:
    enum class Field {
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

    explicit ConnectForm(Program& program);

    bool isLoaded() const { return m_loaded; }
    // Loads the dialog when it is not loaded (lists, saved user names, position, menus off).
    void load();
    // Loads it if needed and shows it.
    void show();
    // Saves the position, closes the window and lets the user re-login from the menu.
    void close();
    // The dialog's unload (the window's close box ends here too).
    void unload();

    // Connects both databases and checks the users' rights; the outcome is in the session.
    void ConnectToDatabases();
    // Connect, transfer everything pending, and recreate the Remote Database.
    void AutoSync();
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

Q_SIGNALS:
    void changed();

private:
    void failureExit(int phrase, bool remoteFailed, bool withHint);
    void rightsFailure(int phrase, bool remoteOnly);

    Program& m_program;
    bool m_loaded = false;
};
