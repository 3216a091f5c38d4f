#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <map>
#include <optional>

class Phrases;

// The main window's menu items, by their names in the program.
enum class MenuId
{
    mnuFile,
    mnuReLogin,
    mnuExit,
    mnuAdministration,
    mnuAllRecords,
    mnuTrans,
    mnuVRLog,
    mnuRunCounter,
    mnuTransfer,
    mnuNewRecords,
    mnuGetDatabase,
    mnuabout,
};

// The state of the menu tree (captions, shortcuts, enabled and visible flags) that the main
// window renders. Logic changes the model; the window follows its changed() signal.
class MenuModel : public QObject
{
    Q_OBJECT
public:
    struct Item
    {
        MenuId id;
        QString name;
        std::optional<MenuId> parent; // none: on the menu bar
        int captionPhrase;
        QString shortcut; // portable text, as QKeySequence reads it
        QString caption;
        bool enabled = true;
        bool visible = true;
    };

    // Where the program works once connected, for the main window's status bar: the data
    // sources and users of both databases (never a password) and the change-log rows pending.
    struct Status
    {
        QString masterDataSource, masterUser, remoteDataSource, remoteUser;
        long newRows = 0;
        long changedRows = 0;
    };

    MenuModel();

    const QList<Item>& items() const { return m_items; }
    const Item& item(MenuId id) const;

    bool isEnabled(MenuId id) const { return item(id).enabled; }
    bool isVisible(MenuId id) const { return item(id).visible; }
    const QString& caption(MenuId id) const { return item(id).caption; }
    void setEnabled(MenuId id, bool enabled);
    void setVisible(MenuId id, bool visible);
    void setCaption(MenuId id, const QString& caption);
    // Whether an item with a check mark is checked; none for the other items.
    std::optional<bool> checked(MenuId id) const;
    void setChecked(MenuId id, bool checked);

    // None while not connected.
    const std::optional<Status>& status() const { return m_status; }
    void setStatus(const std::optional<Status>& status);

    // Every caption from the phrase table; the running counter's reads as switched off.
    void applyPhrases(const Phrases& phrases);

    // The working menus off (File, Exit and About stay usable) or on again.
    void DisableMenus();
    void EnableMenus();

Q_SIGNALS:
    void changed();

private:
    Item& find(MenuId id);
    void setWorkingMenus(bool enabled);

    QList<Item> m_items;
    std::map<MenuId, bool> m_checked = {{MenuId::mnuRunCounter, false}};
    std::optional<Status> m_status;
};
