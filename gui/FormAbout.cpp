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

namespace {
const QString section = QStringLiteral("FormAbout");
}

FormAbout::FormAbout(Program& program, QWidget* parent)
    : QWidget(parent, Qt::Window), m_program(program)
{
    setObjectName(QStringLiteral("FormAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    const AboutContent content = aboutContent(program.state.phrases);

    setFixedSize(twipsToPixels(4830), twipsToPixels(4800));
    move(twipsToPixels(storedTwips(program, section, QStringLiteral("Left"), 2565)),
         twipsToPixels(storedTwips(program, section, QStringLiteral("Top"), 510)));
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
    texts->addStretch();

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
    layout->addLayout(top, 1);
    layout->addLayout(buttons);
}

void FormAbout::closeEvent(QCloseEvent* event)
{
    storeTwips(m_program, section, QStringLiteral("Left"), pixelsToTwips(x()));
    storeTwips(m_program, section, QStringLiteral("Top"), pixelsToTwips(y()));
    event->accept();
}
