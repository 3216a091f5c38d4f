#include "session/ConnectForm.h"

#include "app/PlannedOperations.h"
#include "sync/ModifiedRecordTransfer.h"
#include "app/Program.h"
#include "base/ProgramExit.h"
#include "base/Settings.h"
#include "app/StartupFunctions.h"
#include "base/WindowPlacement.h"
#include "copy/Catalogue.h"
#include "copy/TempTables.h"
#include "db/DataSources.h"
#include "session/Sessions.h"

namespace {

const QString configuration = QStringLiteral("Configuration");
const QString formSection = QStringLiteral("FormConnect");

using Field = ConnectForm::Field;

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

bool isUser(const QString& user, const char* name)
{
    return user.toUpper() == QLatin1String(name);
}

} // namespace

ConnectForm::ConnectForm(Program& program) : tabOrder(designTabOrder), m_program(program) {}

QString ConnectForm::masterDataSourceText() const
{
    return masterIndex >= 0 && masterIndex < dataSources.size() ? dataSources[masterIndex] : QString();
}

QString ConnectForm::remoteDataSourceText() const
{
    return remoteIndex >= 0 && remoteIndex < dataSources.size() ? dataSources[remoteIndex] : QString();
}

QString& ConnectForm::text(Field field)
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

void ConnectForm::putFirst(const QList<Field>& fields)
{
    QList<Field> order = fields;
    for (Field f : std::as_const(tabOrder)) {
        if (!fields.contains(f))
            order.append(f);
    }
    tabOrder = order;
}

void ConnectForm::setFocus(Field field)
{
    focus = field;
    notify();
}

void ConnectForm::load()
{
    if (m_loaded)
        return;
    Ui& ui = m_program.ui;
    for (Window w : {Window::VRLog, Window::TransLog, Window::Statistics, Window::About})
        ui.closeWindow(w);

    leftTwips = storedTwips(m_program, formSection, QStringLiteral("Left"), 975);
    topTwips = storedTwips(m_program, formSection, QStringLiteral("Top"), 1980);
    m_program.menus.DisableMenus();
    m_program.state.autosyncRunning = false;

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

    masterUser = GetRegSetting(m_program, configuration, QStringLiteral("MasterUsername"));
    remoteUser = GetRegSetting(m_program, configuration, QStringLiteral("RemoteUsername"));
    masterPassword.clear();
    remotePassword.clear();
    masterIndex = remoteIndex = -1;
    tabOrder = designTabOrder;
    focus.reset();

    const QString savedMaster = GetRegSetting(m_program, configuration, QStringLiteral("MasterDatasource"));
    if (!savedMaster.isEmpty()) {
        masterIndex = indexIgnoringCase(dataSources, savedMaster);
        tabOrder = {Field::TextMasterPassword,    Field::TextRemotePassword, Field::CommandConnect,
                    Field::CommandDoItAll,        Field::ComboMasterDatasource,
                    Field::TextMasterUsername,    Field::ComboRemoteDatasource,
                    Field::TextRemoteUsername,    Field::CommandExit};
    }
    const QString savedRemote = GetRegSetting(m_program, configuration, QStringLiteral("RemoteDatasource"));
    if (!savedRemote.isEmpty())
        remoteIndex = indexIgnoringCase(dataSources, savedRemote);

    m_loaded = true;
    notify();
}

void ConnectForm::show()
{
    load();
    m_program.ui.showWindow(Window::Connect);
}

void ConnectForm::close()
{
    unload();
    m_program.ui.closeWindow(Window::Connect);
}

void ConnectForm::unload()
{
    if (!m_loaded)
        return;
    m_loaded = false;
    storeTwips(m_program, formSection, QStringLiteral("Left"), static_cast<int>(leftTwips));
    storeTwips(m_program, formSection, QStringLiteral("Top"), static_cast<int>(topTwips));
    m_program.menus.setEnabled(MenuId::mnuReLogin, true);
}

void ConnectForm::failureExit(int phrase, bool remoteFailed, bool withHint)
{
    SessionState& s = m_program.state;
    QString message = m_program.phrase(phrase);
    if (withHint)
        message += QStringLiteral("\r\n\r\n") + m_program.phrase(137);
    m_program.ui.setBusy(false);
    s.autosyncRunning = false;
    m_program.ui.message({message, m_program.phrase(551), MessageIcon::Critical, MessageButtons::Ok,
                          std::nullopt});
    if (remoteFailed)
        DisconnectFromMaster(m_program);
    const Field user = remoteFailed ? Field::TextRemoteUsername : Field::TextMasterUsername;
    const Field password = remoteFailed ? Field::TextRemotePassword : Field::TextMasterPassword;
    if (!text(user).isEmpty()) {
        text(password).clear();
        setFocus(password);
    } else {
        setFocus(user);
    }
}

void ConnectForm::rightsFailure(int phrase, bool remoteOnly)
{
    DisconnectFromMaster(m_program);
    DisconnectFromRemote(m_program);
    m_program.ui.setBusy(false);
    m_program.ui.message({m_program.phrase(phrase), m_program.phrase(551), MessageIcon::Exclamation,
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
    m_program.state.autosyncRunning = false;
}

void ConnectForm::ConnectToDatabases()
{
    SessionState& s = m_program.state;
    Ui& ui = m_program.ui;
    load(); // the fields must exist, shown or not

    DisconnectFromMaster(m_program);
    DisconnectFromRemote(m_program);
    for (Window w : {Window::VRLog, Window::TransLog, Window::Statistics})
        ui.closeWindow(w);
    s.masterConnected = s.remoteConnected = false;
    s.errorOccurred = false;

    const QString incomplete = m_program.phrase(s.autosyncRunning ? 139 : 135);
    for (Field f : {Field::TextMasterUsername, Field::TextRemoteUsername, Field::TextMasterPassword,
                    Field::TextRemotePassword}) {
        if (text(f).isEmpty()) {
            ui.setBusy(false);
            ui.message({incomplete, m_program.phrase(550), MessageIcon::Exclamation,
                        MessageButtons::Ok, std::nullopt});
            setFocus(f);
            s.autosyncRunning = false;
            return;
        }
    }

    ui.setBusy(true);
    ui.yield();
    if (s.masterDataSource.isEmpty())
        s.masterDataSource = masterDataSourceText();
    if (s.remoteDataSource.isEmpty())
        s.remoteDataSource = remoteDataSourceText();
    s.masterUser = masterUser.trimmed();
    s.masterPassword = masterPassword.trimmed();
    s.remoteUser = remoteUser.trimmed();
    s.remotePassword = remotePassword.trimmed();

    if (!ConnectToRemote(m_program)) {
        failureExit(493, true, true);
        return;
    }
    s.firstTime = s.switchTransAll ? false : FirstTime(m_program);
    if (!ConnectToMaster(m_program)) {
        failureExit(136, false, true);
        return;
    }

    if (s.firstTime && !isUser(s.remoteUser, "MT") && !isUser(s.remoteUser, "QEL")) {
        DisconnectFromMaster(m_program);
        DisconnectFromRemote(m_program);
        ui.setBusy(false);
        ui.message({m_program.phrase(541), m_program.phrase(551), MessageIcon::Exclamation,
                    MessageButtons::Ok, std::nullopt});
        show();
        if (!isUser(s.masterUser, "MT")) {
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
        s.autosyncRunning = false;
        return;
    }

    SaveRegSetting(m_program, configuration, QStringLiteral("MasterDatasource"), masterDataSourceText());
    SaveRegSetting(m_program, configuration, QStringLiteral("RemoteDatasource"), remoteDataSourceText());
    SaveRegSetting(m_program, configuration, QStringLiteral("MasterUsername"), masterUser);
    SaveRegSetting(m_program, configuration, QStringLiteral("RemoteUsername"), remoteUser);

    StartupFunctions(m_program);
    // A connection lost while the facts were gathered leaves nothing to go on with.
    if (s.errorOccurred)
        return;

    if (s.switchAutoSync || s.switchTransfer) {
        m_program.mainMenu.UpdateMenuStatus();
        ui.setBusy(false);
        return;
    }

    const std::optional<bool> scratch =
        tableExistsChecked(m_program, QStringLiteral("M"), QStringLiteral("qel_vr_scratch"));
    if (!scratch)
        return;
    if (!*scratch) {
        failureExit(539, false, false);
        return;
    }

    if (isUser(s.masterUser, "MT") && isUser(s.remoteUser, "MT") && s.switchTransAll) {
        MenuModel& menus = m_program.menus;
        menus.setVisible(MenuId::mnuAllRecords, true);
        menus.setEnabled(MenuId::mnuAllRecords, true);
        menus.setEnabled(MenuId::mnuRunCounter, true);
        menus.setEnabled(MenuId::mnuTrans, true);
        menus.setEnabled(MenuId::mnuAdministration, true);
        menus.setVisible(MenuId::mnuTransfer, false);
        menus.setVisible(MenuId::mnuVRLog, false);
        menus.setCaption(MenuId::mnuAdministration, m_program.phrase(301));
        close();
        CreateScratchTable(m_program);
        ui.setBusy(false);
        return;
    }

    if (s.firstTime) {
        CreateRemoteDatabase(m_program, true);
        s.autosyncRunning = false;
        return;
    }

    m_program.mainMenu.UpdateMenuStatus();
    close();
    m_program.menus.setVisible(MenuId::mnuAllRecords, true);
    if (s.masterUserSegregate.toUpper() != QLatin1String("MT"))
        rightsFailure(561, false);
    else if (s.remoteUserSegregate.toUpper() != QLatin1String("MT"))
        rightsFailure(561, true);
    else if (s.masterUserLevel < 4)
        rightsFailure(566, false);
    else
        ui.setBusy(false);
}

void ConnectForm::AutoSync()
{
    SessionState& s = m_program.state;
    load(); // loading clears the flag, so it must come first
    s.autosyncRunning = true;
    ConnectToDatabases();
    if (s.autosyncRunning && s.newRecordsPending)
        TransferNewRecords(m_program);
    if (s.autosyncRunning && s.modifiedRecordsPending)
        TransferModifiedRecords(m_program);
    if (s.autosyncRunning)
        CreateRemoteDatabase(m_program, s.firstTime);
}

void ConnectForm::CommandExit()
{
    const Answer answer = m_program.ui.message({m_program.phrase(115), m_program.phrase(101),
                                                MessageIcon::Question, MessageButtons::YesNo,
                                                Answer::No});
    if (answer == Answer::Yes)
        throw ProgramExit(0);
}
