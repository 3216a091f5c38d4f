#include "gui/FormRepStatus.h"

#include "base/WindowPlacement.h"
#include "gui/VarrowIcons.h"
#include "views/RepStatusSheet.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

// The part of the window's size that its frame takes inside the main window.
constexpr int FrameWidthPixels = 8;
constexpr int FrameHeightPixels = 30;

} // namespace

FormRepStatus::FormRepStatus(RepStatusSheet& sheet, QWidget* parent)
    : QWidget(parent), m_sheet(sheet)
{
    setObjectName(QStringLiteral("FormRepStatus"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(VarrowIcons::icon(101));
    setFixedSize(twipsToPixels(RepStatusSheet::WidthTwips) - FrameWidthPixels,
                 twipsToPixels(RepStatusSheet::HeightTwips) - FrameHeightPixels);

    const auto box = [this](const QString& name) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(name);
        edit->setReadOnly(true);
        m_boxes.insert(name, edit);
        return edit;
    };
    const auto label = [this](int number) {
        auto* l = new QLabel(this);
        l->setObjectName(QStringLiteral("Label%1").arg(number));
        m_labels.insert(number, l);
        return l;
    };

    auto* layout = new QVBoxLayout(this);
    auto* heading = new QHBoxLayout;
    heading->addWidget(label(4), 1);
    heading->addWidget(label(3));
    QLineEdit* pass = box(QStringLiteral("Text12"));
    pass->setFixedWidth(40);
    heading->addWidget(pass);
    layout->addLayout(heading);
    for (int line = 1; line <= RepStatusSheet::ResultLines; ++line) {
        layout->addWidget(box(RepStatusSheet::resultBox(line)));
        if (line == 3) {
            QLineEdit* divider = box(QStringLiteral("Text6"));
            divider->setFixedHeight(4);
            divider->setFrame(false);
            divider->setBackgroundRole(QPalette::Button);
            divider->setAutoFillBackground(true);
            layout->addWidget(divider);
        }
    }
    layout->addSpacing(12);
    layout->addWidget(label(2));
    layout->addWidget(box(QStringLiteral("Text2")));
    layout->addWidget(label(1));
    layout->addWidget(box(QStringLiteral("Text1")));
    layout->addStretch();

    connect(&m_sheet, &RepStatusSheet::loaded, this, &FormRepStatus::refreshAll);
    connect(&m_sheet, &RepStatusSheet::textChanged, this,
            [this](const QString& name, const QString& text) {
                if (QLineEdit* edit = m_boxes.value(name)) {
                    edit->setText(text);
                    edit->setCursorPosition(0);
                }
            });
    refreshAll();
}

void FormRepStatus::refreshAll()
{
    setWindowTitle(m_sheet.caption());
    for (auto it = m_labels.cbegin(); it != m_labels.cend(); ++it)
        it.value()->setText(m_sheet.label(it.key()));
    for (auto it = m_boxes.cbegin(); it != m_boxes.cend(); ++it)
        it.value()->setText(m_sheet.text(it.key()));
}

void FormRepStatus::showEvent(QShowEvent* event)
{
    frame()->move(0, 0);
    QWidget::showEvent(event);
}
