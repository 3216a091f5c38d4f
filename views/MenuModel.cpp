#include "views/MenuModel.h"

#include "base/Phrases.h"

MenuModel::MenuModel()
{
    using M = MenuId;
    m_items = {
        {M::mnuFile, QStringLiteral("mnuFile"), std::nullopt, 102, QString(), {}, true, true},
        {M::mnuReLogin,
         QStringLiteral("mnuReLogin"),
         M::mnuFile,
         150,
         QStringLiteral("Ctrl+R"),
         {},
         true,
         true},
        {M::mnuExit,
         QStringLiteral("mnuExit"),
         M::mnuFile,
         103,
         QStringLiteral("Ctrl+X"),
         {},
         true,
         true},
        {M::mnuAdministration,
         QStringLiteral("mnuAdministration"),
         std::nullopt,
         110,
         QString(),
         {},
         true,
         true},
        {M::mnuAllRecords,
         QStringLiteral("mnuAllRecords"),
         M::mnuAdministration,
         124,
         QStringLiteral("Ctrl+A"),
         {},
         false,
         true},
        {M::mnuTrans,
         QStringLiteral("mnuTrans"),
         M::mnuAdministration,
         194,
         QStringLiteral("Ctrl+T"),
         {},
         false,
         true},
        {M::mnuVRLog,
         QStringLiteral("mnuVRLog"),
         M::mnuAdministration,
         538,
         QStringLiteral("Ctrl+L"),
         {},
         false,
         true},
        {M::mnuRunCounter,
         QStringLiteral("mnuRunCounter"),
         M::mnuAdministration,
         11,
         QStringLiteral("Ctrl+O"),
         {},
         false,
         true},
        {M::mnuTransfer,
         QStringLiteral("mnuTransfer"),
         std::nullopt,
         104,
         QString(),
         {},
         true,
         true},
        {M::mnuNewRecords,
         QStringLiteral("mnuNewRecords"),
         M::mnuTransfer,
         400,
         QStringLiteral("F1"),
         {},
         true,
         true},
        {M::mnuGetDatabase,
         QStringLiteral("mnuGetDatabase"),
         M::mnuTransfer,
         109,
         QStringLiteral("F2"),
         {},
         true,
         true},
        {M::mnuabout, QStringLiteral("mnuabout"), std::nullopt, 3, QString(), {}, true, true},
    };
}

const MenuModel::Item& MenuModel::item(MenuId id) const
{
    return m_items[static_cast<int>(id)];
}

MenuModel::Item& MenuModel::find(MenuId id)
{
    return m_items[static_cast<int>(id)];
}

void MenuModel::setEnabled(MenuId id, bool enabled)
{
    Item& i = find(id);
    if (i.enabled == enabled)
        return;
    i.enabled = enabled;
    Q_EMIT changed();
}

void MenuModel::setVisible(MenuId id, bool visible)
{
    Item& i = find(id);
    if (i.visible == visible)
        return;
    i.visible = visible;
    Q_EMIT changed();
}

void MenuModel::setCaption(MenuId id, const QString& caption)
{
    Item& i = find(id);
    if (i.caption == caption)
        return;
    i.caption = caption;
    Q_EMIT changed();
}

std::optional<bool> MenuModel::checked(MenuId id) const
{
    const auto it = m_checked.find(id);
    return it == m_checked.end() ? std::nullopt : std::optional<bool>(it->second);
}

void MenuModel::setChecked(MenuId id, bool checked)
{
    const auto it = m_checked.find(id);
    if (it == m_checked.end() || it->second == checked)
        return;
    it->second = checked;
    Q_EMIT changed();
}

void MenuModel::setStatus(const std::optional<Status>& status)
{
    m_status = status;
    Q_EMIT changed();
}

void MenuModel::applyPhrases(const Phrases& phrases)
{
    for (Item& i : m_items)
        i.caption = phrases[i.captionPhrase];
    find(MenuId::mnuRunCounter).caption = phrases[11] + QLatin1Char(' ') + phrases[13];
    Q_EMIT changed();
}

void MenuModel::setWorkingMenus(bool enabled)
{
    for (MenuId id : {MenuId::mnuGetDatabase, MenuId::mnuTransfer, MenuId::mnuAdministration,
                      MenuId::mnuAllRecords, MenuId::mnuNewRecords, MenuId::mnuReLogin,
                      MenuId::mnuTrans, MenuId::mnuRunCounter})
        find(id).enabled = enabled;
    Q_EMIT changed();
}

void MenuModel::DisableMenus()
{
    setWorkingMenus(false);
}

void MenuModel::EnableMenus()
{
    setWorkingMenus(true);
}
