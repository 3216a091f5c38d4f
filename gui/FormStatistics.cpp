#include "gui/FormStatistics.h"

#include "app/Program.h"
#include "base/WindowPlacement.h"
#include "gui/VarrowIcons.h"
#include "views/StatisticsSheet.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QVBoxLayout>

namespace {

// The frame around a child window of the main frame takes this much of the size the
// settings give (borders and caption).
constexpr int FrameWidthPixels = 8;
constexpr int FrameHeightPixels = 30;
constexpr int BoxWidthPixels = 50;

QLineEdit* countBox(QWidget* parent, const QString& name)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::NoFocus);
    box->setAlignment(Qt::AlignRight);
    box->setFixedWidth(BoxWidthPixels);
    box->setTextMargins(0, 0, 0, 0);
    return box;
}

} // namespace

FormStatistics::FormStatistics(Program& program, QWidget* parent)
    : QWidget(parent), m_sheet(program.statistics)
{
    setObjectName(QStringLiteral("FormStatistics"));
    setWindowIcon(VarrowIcons::icon(101));
    QFont small = font();
    small.setPointSizeF(8);
    setFont(small);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(3);

    auto* title = new QLabel(this);
    title->setObjectName(QStringLiteral("StatTitle"));
    title->setAlignment(Qt::AlignCenter);
    QFont bold = small;
    bold.setBold(true);
    title->setFont(bold);
    m_captions.insert(QStringLiteral("StatTitle"), title);
    layout->addWidget(title);

    m_grid = new QGroupBox(this);
    m_grid->setObjectName(QStringLiteral("dbrecords"));
    auto* gridLayout = new QGridLayout(m_grid);
    gridLayout->setContentsMargins(4, 2, 4, 4);
    gridLayout->setHorizontalSpacing(3);
    gridLayout->setVerticalSpacing(2);
    m_header = new QLabel(m_grid);
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPixelSize(8);
    m_header->setFont(fixed);
    gridLayout->addWidget(m_header, 0, 0, 1, 5);

    using Column = StatisticsSheet::Column;
    const Column columns[] = {Column::Rtotal, Column::Rnumber, Column::Mtotal, Column::Mnumber};
    const QStringList& rows = StatisticsSheet::rowNames();
    for (int r = 0; r < rows.size(); ++r) {
        auto* caption = new QLabel(m_grid);
        caption->setObjectName(rows[r]);
        m_captions.insert(rows[r], caption);
        gridLayout->addWidget(caption, r + 1, 0);
        QList<QWidget*> cells{caption};
        for (int c = 0; c < 4; ++c) {
            const bool totals = r == rows.size() - 1;
            const QString name =
                totals ? StatisticsSheet::totalBox(columns[c])
                       : StatisticsSheet::box(columns[c], StatisticsSheet::tableSuffixes()[r]);
            QLineEdit* box = countBox(m_grid, name);
            m_boxes.insert(name, box);
            gridLayout->addWidget(box, r + 1, c + 1);
            cells.append(box);
        }
        m_rows.insert(rows[r], cells);
    }
    gridLayout->setColumnStretch(0, 1);
    layout->addWidget(m_grid);

    m_function = new QLabel(this);
    m_function->setObjectName(QStringLiteral("Function"));
    m_function->setFont(bold);
    m_progress = new QLabel(this);
    m_progress->setObjectName(QStringLiteral("Progress"));
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("ProgressBar"));
    m_bar->setRange(0, 100);
    m_bar->setFixedHeight(16);
    layout->addWidget(m_function);
    layout->addWidget(m_progress);
    layout->addWidget(m_bar);

    auto* counters = new QGridLayout;
    counters->setVerticalSpacing(2);
    auto addCounter = [&](int row, const QString& labelName, const QString& boxName) {
        auto* label = new QLabel(this);
        label->setObjectName(labelName);
        m_captions.insert(labelName, label);
        QLineEdit* box = countBox(this, boxName);
        box->setFixedWidth(BoxWidthPixels + 10);
        m_boxes.insert(boxName, box);
        m_hideable.insert(labelName, label);
        m_hideable.insert(boxName, box);
        counters->addWidget(label, row, 0);
        counters->addWidget(box, row, 1);
    };
    addCounter(0, QStringLiteral("LabelCounter"), QStringLiteral("TextCounter"));
    addCounter(1, QStringLiteral("Labelmaxcounter"), QStringLiteral("Textmaxcounter"));
    counters->setColumnStretch(2, 1);
    layout->addLayout(counters);

    auto* debugFrame = new QGroupBox(this);
    debugFrame->setObjectName(QStringLiteral("Frame2"));
    auto* debugLayout = new QVBoxLayout(debugFrame);
    debugLayout->setContentsMargins(4, 2, 4, 4);
    auto* debugLabel = new QLabel(debugFrame);
    debugLabel->setObjectName(QStringLiteral("Label_debugs"));
    m_captions.insert(QStringLiteral("Label_debugs"), debugLabel);
    m_trace = new QPlainTextEdit(debugFrame);
    m_trace->setObjectName(QStringLiteral("Text_debugs"));
    m_trace->setReadOnly(true);
    m_trace->setFont(fixed);
    debugLayout->addWidget(debugLabel);
    debugLayout->addWidget(m_trace, 1);
    m_hideable.insert(QStringLiteral("Frame2"), debugFrame);
    m_hideable.insert(QStringLiteral("Label_debugs"), debugLabel);
    m_hideable.insert(QStringLiteral("Text_debugs"), m_trace);
    layout->addWidget(debugFrame, 1);
    layout->addStretch();

    connect(&m_sheet, &StatisticsSheet::changed, this, &FormStatistics::refresh);
    refreshAll();
}

QWidget* FormStatistics::frame()
{
    return parentWidget() ? parentWidget() : this;
}

void FormStatistics::refresh(const QString& name)
{
    if (name.isEmpty()) {
        refreshAll();
        return;
    }
    if (name == QLatin1String("ProgressBar")) {
        m_bar->setValue(m_sheet.progressBar());
    } else if (name == QLatin1String("Function")) {
        m_function->setText(m_sheet.text(name));
    } else if (name == QLatin1String("Progress")) {
        m_progress->setText(m_sheet.text(name));
    } else if (name == QLatin1String("dbrecords(0)")) {
        m_header->setText(m_sheet.text(name));
    } else if (name == QLatin1String("Text_debugs")) {
        QString text = m_sheet.text(name);
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        m_trace->setPlainText(text);
        m_trace->moveCursor(QTextCursor::End);
    } else if (QLineEdit* box = m_boxes.value(name)) {
        box->setText(m_sheet.text(name));
    }
    if (QWidget* w = m_hideable.value(name))
        w->setVisible(m_sheet.isVisible(name));
}

void FormStatistics::refreshAll()
{
    setWindowTitle(m_sheet.caption(QStringLiteral("Caption")));
    setFixedSize(twipsToPixels(m_sheet.widthTwips()) - FrameWidthPixels,
                 twipsToPixels(m_sheet.heightTwips()) - FrameHeightPixels);
    for (auto it = m_captions.cbegin(); it != m_captions.cend(); ++it)
        it.value()->setText(m_sheet.caption(it.key()));
    for (auto it = m_rows.cbegin(); it != m_rows.cend(); ++it)
        for (QWidget* cell : it.value())
            cell->setEnabled(m_sheet.isRowEnabled(it.key()));
    for (const QString& name : StatisticsSheet::textNames())
        refresh(name);
    for (auto it = m_hideable.cbegin(); it != m_hideable.cend(); ++it)
        it.value()->setVisible(m_sheet.isVisible(it.key()));
}

void FormStatistics::showEvent(QShowEvent* event)
{
    frame()->move(twipsToPixels(m_sheet.leftTwips()), twipsToPixels(m_sheet.topTwips()));
    frame()->installEventFilter(this);
    QWidget::showEvent(event);
}

bool FormStatistics::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Move && watched == frame()) {
        const QPoint at = frame()->pos();
        m_sheet.setPosition(pixelsToTwips(at.x()), pixelsToTwips(at.y()));
    }
    return QWidget::eventFilter(watched, event);
}

void FormStatistics::closeEvent(QCloseEvent* event)
{
    m_sheet.unload();
    event->accept();
}
