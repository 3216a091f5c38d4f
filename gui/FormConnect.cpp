#include "gui/FormConnect.h"

#include "app/Operations.h"
#include "app/Program.h"
#include "base/ProgramExit.h"
#include "base/WindowPlacement.h"
#include "gui/VarrowIcons.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMoveEvent>
#include <QPushButton>
#include <QVBoxLayout>

using Field = ConnectDialogModel::Field;

namespace {

QLineEdit* lineEdit(QWidget* parent, const char* name, bool password)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    if (password)
        edit->setEchoMode(QLineEdit::Password);
    return edit;
}

} // namespace

FormConnect::FormConnect(Program& program, QWidget* parent)
    : QDialog(parent), m_program(program), m_form(program.connectDialog)
{
    setObjectName(QStringLiteral("FormConnect"));
    const Phrases& p = program.state.phrases;
    setWindowTitle(p[126]);
    setWindowIcon(VarrowIcons::icon(103));

    m_masterSource = new QComboBox(this);
    m_masterSource->setObjectName(QStringLiteral("ComboMasterDatasource"));
    m_remoteSource = new QComboBox(this);
    m_remoteSource->setObjectName(QStringLiteral("ComboRemoteDatasource"));
    QLineEdit* masterUser = lineEdit(this, "TextMasterUsername", false);
    QLineEdit* masterPassword = lineEdit(this, "TextMasterPassword", true);
    QLineEdit* remoteUser = lineEdit(this, "TextRemoteUsername", false);
    QLineEdit* remotePassword = lineEdit(this, "TextRemotePassword", true);
    auto* connectButton = new QPushButton(p[116], this);
    connectButton->setObjectName(QStringLiteral("CommandConnect"));
    connectButton->setDefault(true);
    auto* autoSyncButton = new QPushButton(p[111], this);
    autoSyncButton->setObjectName(QStringLiteral("CommandDoItAll"));
    auto* exitButton = new QPushButton(p[103], this);
    exitButton->setObjectName(QStringLiteral("CommandExit"));

    m_widgets = {{Field::ComboMasterDatasource, m_masterSource},
                 {Field::TextMasterUsername, masterUser},
                 {Field::TextMasterPassword, masterPassword},
                 {Field::ComboRemoteDatasource, m_remoteSource},
                 {Field::TextRemoteUsername, remoteUser},
                 {Field::TextRemotePassword, remotePassword},
                 {Field::CommandConnect, connectButton},
                 {Field::CommandDoItAll, autoSyncButton},
                 {Field::CommandExit, exitButton}};

    // Each label carries the tooltip of the field beside it.
    auto panel = [&](int caption, QComboBox* source, QLineEdit* user, QLineEdit* password,
                     int sourceTip, int userTip, int passwordTip) {
        auto* box = new QGroupBox(p[caption], this);
        auto* form = new QFormLayout(box);
        auto row = [&](int labelPhrase, QWidget* field, int tip) {
            auto* label = new QLabel(p[labelPhrase], box);
            label->setToolTip(p[tip]);
            label->setBuddy(field);
            field->setToolTip(p[tip]);
            form->addRow(label, field);
        };
        row(131, source, sourceTip);
        row(129, user, userTip);
        row(132, password, passwordTip);
        return box;
    };
    connectButton->setToolTip(p[186]);
    autoSyncButton->setToolTip(p[537]);
    exitButton->setToolTip(p[187]);

    // A panel's caption sits on its frame line; a password shows a "*" for each character.
    setStyleSheet(QStringLiteral(
        "QGroupBox { border: 1px solid palette(mid); border-radius: 3px; margin-top: 1.2ex;"
        " padding-top: 1ex; }"
        "QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 3px; }"
        "QLineEdit { lineedit-password-character: 42; }"));
    auto* heading = new QLabel(p[125], this);
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    heading->setFont(headingFont);
    auto* panels = new QHBoxLayout;
    panels->addWidget(panel(520, m_masterSource, masterUser, masterPassword, 180, 182, 184));
    panels->addWidget(panel(521, m_remoteSource, remoteUser, remotePassword, 181, 183, 185));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(connectButton);
    buttons->addWidget(autoSyncButton);
    buttons->addWidget(exitButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addLayout(panels);
    layout->addLayout(buttons);
    // The dialog's width; its height is what the content needs, with no empty band (measured
    // once the style sheet has given the panels their frames).
    ensurePolished();
    setFixedSize(twipsToPixels(9675), layout->sizeHint().height());

    connect(m_masterSource, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_refreshing)
            m_form.masterIndex = index;
    });
    connect(m_remoteSource, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_refreshing)
            m_form.remoteIndex = index;
    });
    for (Field f : {Field::TextMasterUsername, Field::TextMasterPassword, Field::TextRemoteUsername,
                    Field::TextRemotePassword}) {
        connect(static_cast<QLineEdit*>(m_widgets[f]), &QLineEdit::textEdited, this,
                [this, f](const QString& text) { m_form.text(f) = text; });
    }
    ConnectCommands& commands = program.connectCommands;
    connect(connectButton, &QPushButton::clicked, this,
            [this, &commands] { run([&commands] { commands.ConnectToDatabases(); }); });
    connect(autoSyncButton, &QPushButton::clicked, this,
            [this, &commands] { run([&commands] { commands.AutoSync(); }); });
    connect(exitButton, &QPushButton::clicked, this, &FormConnect::reject);
    connect(&m_form, &ConnectDialogModel::changed, this, &FormConnect::refresh);
    refresh();
}

void FormConnect::run(const std::function<void()>& command)
{
    runGuarded(command);
}

void FormConnect::refresh()
{
    m_refreshing = true;
    for (QComboBox* combo : {m_masterSource, m_remoteSource}) {
        combo->clear();
        combo->addItems(m_form.dataSources);
    }
    m_masterSource->setCurrentIndex(m_form.masterIndex);
    m_remoteSource->setCurrentIndex(m_form.remoteIndex);
    for (Field f : {Field::TextMasterUsername, Field::TextMasterPassword, Field::TextRemoteUsername,
                    Field::TextRemotePassword}) {
        auto* edit = static_cast<QLineEdit*>(m_widgets[f]);
        if (edit->text() != m_form.text(f))
            edit->setText(m_form.text(f));
    }
    for (qsizetype i = 1; i < m_form.tabOrder.size(); ++i)
        setTabOrder(m_widgets[m_form.tabOrder[i - 1]], m_widgets[m_form.tabOrder[i]]);
    if (m_form.focus)
        m_widgets[*m_form.focus]->setFocus();
    m_refreshing = false;
}

void FormConnect::reject()
{
    run([this] { m_form.CommandExit(); });
}

QPoint FormConnect::origin() const
{
    return parentWidget() ? parentWidget()->mapToGlobal(QPoint(0, 0)) : QPoint(0, 0);
}

void FormConnect::showEvent(QShowEvent* event)
{
    move(origin() + QPoint(twipsToPixels(m_form.leftTwips), twipsToPixels(m_form.topTwips)));
    // The focus frame is drawn from the start, not only once the user has pressed Tab, so that
    // the button Enter would press can be seen.
    setAttribute(Qt::WA_KeyboardFocusChange);
    if (m_form.focus)
        m_widgets[*m_form.focus]->setFocus();
    else if (!m_form.tabOrder.isEmpty())
        m_widgets[m_form.tabOrder.first()]->setFocus();
    QDialog::showEvent(event);
}

// The position is kept relative to the main window, as the dialog opens over it. Only where
// the shown dialog is counts, not the place it had before showEvent moved it.
void FormConnect::moveEvent(QMoveEvent* event)
{
    QDialog::moveEvent(event);
    if (!isVisible())
        return;
    const QPoint at = pos() - origin();
    m_form.leftTwips = pixelsToTwips(at.x());
    m_form.topTwips = pixelsToTwips(at.y());
}

void FormConnect::closeEvent(QCloseEvent* event)
{
    // The close box unloads the dialog without asking (QDialog would take it as Escape).
    m_form.unload();
    event->accept();
}
