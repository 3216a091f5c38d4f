#include "session/ConnectDialogModel.h"

#include "base/ProgramExit.h"
#include "base/Settings.h"
#include "base/Ui.h"
#include "base/WindowPlacement.h"
#include "db/DataSources.h"
#include "session/Sessions.h"
#include "views/MenuModel.h"

namespace {

const QString configuration = QStringLiteral("Configuration");
const QString formSection = QStringLiteral("FormConnect");

using Field = ConnectDialogModel::Field;

const QList<Field> designTabOrder = {
    Field::ComboMasterDatasource, Field::TextMasterUsername, Field::TextMasterPassword,
    Field::ComboRemoteDatasource, Field::TextRemoteUsername, Field::TextRemotePassword,
    Field::CommandConnect,        Field::CommandDoItAll,     Field::CommandExit};

int indexIgnoringCase(const QStringList& list, const QString& name)
{
    for (int i = 0; i < list.size(); ++i) {
        if (list[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

} // namespace

ConnectDialogModel::ConnectDialogModel(const SessionContext& context, MenuModel& menus)
    : tabOrder(designTabOrder), m_context(context), m_menus(menus)
{
}

QString ConnectDialogModel::masterDataSourceText() const
{
    return masterIndex >= 0 && masterIndex < dataSources.size() ? dataSources[masterIndex]
                                                                : QString();
}

QString ConnectDialogModel::remoteDataSourceText() const
{
    return remoteIndex >= 0 && remoteIndex < dataSources.size() ? dataSources[remoteIndex]
                                                                : QString();
}

QString& ConnectDialogModel::text(Field field)
{
    switch (field) {
    case Field::TextMasterUsername:
        return masterUser;
    case Field::TextMasterPassword:
        return masterPassword;
    case Field::TextRemoteUsername:
        return remoteUser;
    default:
        return remotePassword;
    }
}

void ConnectDialogModel::putFirst(const QList<Field>& fields)
{
    QList<Field> order = fields;
    for (Field f : std::as_const(tabOrder)) {
        if (!fields.contains(f))
            order.append(f);
    }
    tabOrder = order;
}

void ConnectDialogModel::setFocus(Field field)
{
    focus = field;
    notify();
}

void ConnectDialogModel::load()
{
    if (m_loaded)
        return;
    Ui& ui = m_context.ui;
    for (Window w : {Window::VRLog, Window::TransLog, Window::Statistics, Window::About})
        ui.closeWindow(w);

    leftTwips = storedTwips(m_context, formSection, QStringLiteral("Left"), 975);
    topTwips = storedTwips(m_context, formSection, QStringLiteral("Top"), 1980);
    m_menus.DisableMenus();
    m_menus.setStatus(std::nullopt); // nothing connected from here on
    m_context.state.autosyncRunning = false;

    // Only the engine's own data sources are offered; a driver manager that cannot be asked
    // leaves the lists empty, and a name on the command line still works.
    dataSources.clear();
    try {
        for (const DataSources::Entry& entry : DataSources::list()) {
            if (entry.description.contains(QLatin1String("Anywhere")))
                dataSources.append(entry.name);
        }
    } catch (const DbError&) {
    }

    masterUser = GetRegSetting(m_context, configuration, QStringLiteral("MasterUsername"));
    remoteUser = GetRegSetting(m_context, configuration, QStringLiteral("RemoteUsername"));
    masterPassword.clear();
    remotePassword.clear();
    masterIndex = remoteIndex = -1;
    tabOrder = designTabOrder;
    focus.reset();

    const QString savedMaster =
        GetRegSetting(m_context, configuration, QStringLiteral("MasterDatasource"));
    if (!savedMaster.isEmpty()) {
        masterIndex = indexIgnoringCase(dataSources, savedMaster);
        tabOrder = {
            Field::TextMasterPassword,    Field::TextRemotePassword,    Field::CommandConnect,
            Field::CommandDoItAll,        Field::ComboMasterDatasource, Field::TextMasterUsername,
            Field::ComboRemoteDatasource, Field::TextRemoteUsername,    Field::CommandExit};
    }
    const QString savedRemote =
        GetRegSetting(m_context, configuration, QStringLiteral("RemoteDatasource"));
    if (!savedRemote.isEmpty())
        remoteIndex = indexIgnoringCase(dataSources, savedRemote);

    m_loaded = true;
    notify();
}

void ConnectDialogModel::show()
{
    load();
    m_context.ui.showWindow(Window::Connect);
}

void ConnectDialogModel::close()
{
    unload();
    m_context.ui.closeWindow(Window::Connect);
}

void ConnectDialogModel::unload()
{
    if (!m_loaded)
        return;
    m_loaded = false;
    storeTwips(m_context, formSection, QStringLiteral("Left"), static_cast<int>(leftTwips));
    storeTwips(m_context, formSection, QStringLiteral("Top"), static_cast<int>(topTwips));
    m_menus.setEnabled(MenuId::mnuReLogin, true);
}

void ConnectDialogModel::failureExit(int phrase, bool remoteFailed, bool withHint,
                                     const QString& reason)
{
    SessionState& s = m_context.state;
    QString message = m_context.phrase(phrase);
    if (withHint)
        message += QStringLiteral("\r\n\r\n") + m_context.phrase(137);
    if (!reason.isEmpty())
        message += QStringLiteral("\r\n\r\n") + reason;
    m_context.ui.setBusy(false);
    s.autosyncRunning = false;
    m_context.ui.message(
        {message, m_context.phrase(551), MessageIcon::Critical, MessageButtons::Ok, std::nullopt});
    if (remoteFailed)
        DisconnectFromMaster(m_context);
    const Field user = remoteFailed ? Field::TextRemoteUsername : Field::TextMasterUsername;
    const Field password = remoteFailed ? Field::TextRemotePassword : Field::TextMasterPassword;
    if (!text(user).isEmpty()) {
        text(password).clear();
        setFocus(password);
    } else {
        setFocus(user);
    }
}

void ConnectDialogModel::rightsFailure(int phrase, bool remoteOnly)
{
    DisconnectFromMaster(m_context);
    DisconnectFromRemote(m_context);
    m_context.ui.setBusy(false);
    m_context.ui.message({m_context.phrase(phrase), m_context.phrase(551), MessageIcon::Exclamation,
                          MessageButtons::Ok, std::nullopt});
    show();
    const QList<Field> concerned =
        remoteOnly ? QList<Field>{Field::TextRemoteUsername, Field::TextRemotePassword}
                   : QList<Field>{Field::TextMasterUsername, Field::TextMasterPassword,
                                  Field::TextRemoteUsername, Field::TextRemotePassword};
    for (Field f : concerned)
        text(f).clear();
    putFirst(concerned);
    setFocus(concerned.first());
    m_context.state.autosyncRunning = false;
}

void ConnectDialogModel::saveSignIn()
{
    SaveRegSetting(m_context, configuration, QStringLiteral("MasterDatasource"),
                   masterDataSourceText());
    SaveRegSetting(m_context, configuration, QStringLiteral("RemoteDatasource"),
                   remoteDataSourceText());
    SaveRegSetting(m_context, configuration, QStringLiteral("MasterUsername"), masterUser);
    SaveRegSetting(m_context, configuration, QStringLiteral("RemoteUsername"), remoteUser);
}

void ConnectDialogModel::askForSchemaOwner(bool masterIsOwner)
{
    if (!masterIsOwner) {
        masterUser = QStringLiteral("mt");
        masterPassword.clear();
        remoteUser = QStringLiteral("mt");
        remotePassword.clear();
        putFirst({Field::TextMasterPassword, Field::TextRemotePassword, Field::CommandDoItAll});
        setFocus(Field::TextMasterPassword);
    } else {
        remoteUser = QStringLiteral("mt");
        remotePassword.clear();
        putFirst({Field::TextRemotePassword, Field::CommandDoItAll});
        setFocus(Field::TextRemotePassword);
    }
}

void ConnectDialogModel::CommandExit()
{
    const Answer answer =
        m_context.ui.message({m_context.phrase(115), m_context.phrase(101), MessageIcon::Question,
                              MessageButtons::YesNo, Answer::No});
    if (answer == Answer::Yes)
        throw ProgramExit(0);
}
