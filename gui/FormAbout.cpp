#include "gui/FormAbout.h"

#include "app/Program.h"
#include "base/WindowPlacement.h"
#include "gui/VarrowIcons.h"
#include "views/AboutContent.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

FormAbout::FormAbout(Program& program, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    // Shown, not executed: the one thread goes back to the event loop, and the main window
    // waits until the dialog is closed.
    setWindowModality(Qt::ApplicationModal);
    const AboutContent content = aboutContent(program.state.phrases);
    setWindowTitle(content.caption);
    setWindowIcon(VarrowIcons::icon(101));

    auto* picture = new QLabel(this);
    picture->setPixmap(VarrowIcons::picture(101, 64));
    picture->setAlignment(Qt::AlignTop);

    auto label = [this](const QString& name, const QString& text) {
        auto* l = new QLabel(text, this);
        l->setObjectName(name);
        l->setWordWrap(true);
        return l;
    };
    auto* texts = new QVBoxLayout;
    QLabel* version = label(QStringLiteral("LabelVersion"), content.version);
    QFont bold = version->font();
    bold.setBold(true);
    version->setFont(bold);
    texts->addWidget(version);
    texts->addWidget(label(QStringLiteral("Label2"), content.label2));
    texts->addWidget(label(QStringLiteral("Label3"), content.label3));
    texts->addWidget(label(QStringLiteral("Label4"), content.label4));
    texts->addWidget(label(QStringLiteral("Label5"), content.label5));

    auto* top = new QHBoxLayout;
    top->addWidget(picture);
    top->addLayout(texts, 1);

    auto* ok = new QPushButton(content.ok, this);
    ok->setObjectName(QStringLiteral("CommandAboutOK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QWidget::close);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    // The window's width; its height is what the wrapped texts need at that width.
    const int width = twipsToPixels(4830);
    setFixedSize(width, layout->totalHeightForWidth(width));
}

void FormAbout::reject()
{
    close();
}

void FormAbout::showEvent(QShowEvent* event)
{
    if (QWidget* main = parentWidget())
        move(main->frameGeometry().center() - rect().center());
    QDialog::showEvent(event);
}

// Closing is all there is to do; QDialog would take the close box for Escape.
void FormAbout::closeEvent(QCloseEvent* event)
{
    event->accept();
}
