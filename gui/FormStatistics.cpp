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
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// The frame around a child window of the main frame takes this much of the size the
// settings give (borders and caption).
constexpr int FrameWidthPixels = 8;
constexpr int FrameHeightPixels = 30;
constexpr int Columns = 5; // the row captions, then the four counts

constexpr Qt::Alignment numberAlignment = Qt::AlignRight | Qt::AlignVCenter;
constexpr Qt::Alignment captionAlignment = Qt::AlignLeft | Qt::AlignVCenter;

} // namespace

const QString FormStatistics::unfilled = QStringLiteral("\u2013");

FormStatistics::FormStatistics(Program& program, QWidget* parent)
    : QWidget(parent), m_sheet(program.statistics)
{
    setObjectName(QStringLiteral("FormStatistics"));
    setWindowIcon(VarrowIcons::icon(101));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);

    auto* title = new QLabel(this);
    title->setObjectName(QStringLiteral("StatTitle"));
    title->setAlignment(Qt::AlignCenter);
    QFont bold = font();
    bold.setBold(true);
    title->setFont(bold);
    m_captions.insert(QStringLiteral("StatTitle"), title);
    layout->addWidget(title);

    buildTable();
    layout->addWidget(m_table);

    m_function = new QLabel(this);
    m_function->setObjectName(QStringLiteral("Function"));
    m_function->setFont(bold);
    m_progress = new QLabel(this);
    m_progress->setObjectName(QStringLiteral("Progress"));
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("ProgressBar"));
    m_bar->setRange(0, 100);
    layout->addWidget(m_function);
    layout->addWidget(m_progress);
    layout->addWidget(m_bar);

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
    m_trace->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    debugLayout->addWidget(debugLabel);
    debugLayout->addWidget(m_trace, 1);
    m_hideable.insert(QStringLiteral("Frame2"), debugFrame);
    m_hideable.insert(QStringLiteral("Label_debugs"), debugLabel);
    m_hideable.insert(QStringLiteral("Text_debugs"), m_trace);
    // The trace takes the room the debugging switch adds; without it the table takes any.
    layout->addWidget(debugFrame, 1);

    auto* counters = new QGridLayout;
    auto addCounter = [&](int row, const QString& labelName, const QString& boxName) {
        auto* label = new QLabel(this);
        label->setObjectName(labelName);
        m_captions.insert(labelName, label);
        auto* box = new QLineEdit(this);
        box->setObjectName(boxName);
        box->setReadOnly(true);
        box->setFocusPolicy(Qt::NoFocus);
        box->setAlignment(numberAlignment);
        box->setFixedWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12);
        m_boxes.insert(boxName, box);
        m_hideable.insert(labelName, label);
        m_hideable.insert(boxName, box);
        counters->addWidget(label, row, 0);
        counters->addWidget(box, row, 1);
    };
    addCounter(0, QStringLiteral("LabelCounter"), QStringLiteral("TextCounter"));
    addCounter(1, QStringLiteral("Labelmaxcounter"), QStringLiteral("Textmaxcounter"));
    counters->setColumnStretch(2, 1);
    auto* close = new QPushButton(program.phrase(174), this);
    close->setObjectName(QStringLiteral("cmdClose"));
    connect(close, &QPushButton::clicked, this, [this] { frame()->close(); });
    auto* bottom = new QHBoxLayout;
    bottom->addLayout(counters, 1);
    bottom->addWidget(close, 0, Qt::AlignBottom);
    layout->addLayout(bottom);

    connect(&m_sheet, &StatisticsSheet::changed, this, &FormStatistics::refresh);
    refreshAll();
}

void FormStatistics::buildTable()
{
    const QStringList& rows = StatisticsSheet::rowNames();
    m_table = new QTableWidget(rows.size(), Columns, this);
    m_table->setObjectName(QStringLiteral("dbrecords"));
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_table->setFocusPolicy(Qt::NoFocus);
    m_table->setWordWrap(false);
    m_table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_table->verticalHeader()->hide();
    for (int c = 0; c < Columns; ++c) {
        auto* header = new QTableWidgetItem;
        header->setTextAlignment(c == 0 ? captionAlignment : numberAlignment);
        m_table->setHorizontalHeaderItem(c, header);
    }
    QHeaderView* columns = m_table->horizontalHeader();
    columns->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    for (int c = 1; c < Columns; ++c)
        columns->setSectionResizeMode(c, QHeaderView::Stretch);

    using Column = StatisticsSheet::Column;
    const Column counts[] = {Column::Rtotal, Column::Rnumber, Column::Mtotal, Column::Mnumber};
    QFont bold = font();
    bold.setBold(true);
    for (int r = 0; r < rows.size(); ++r) {
        const bool totals = StatisticsSheet::isTotalsRow(r);
        auto* caption = new QTableWidgetItem;
        caption->setTextAlignment(captionAlignment);
        m_table->setItem(r, 0, caption);
        m_rowCaptions.insert(rows[r], caption);
        for (int c = 0; c < 4; ++c) {
            const QString name = StatisticsSheet::rowBox(counts[c], r);
            auto* cell = new QTableWidgetItem;
            cell->setTextAlignment(numberAlignment);
            cell->setData(Qt::UserRole, name);
            m_table->setItem(r, c + 1, cell);
            m_cells.insert(name, cell);
        }
        if (totals) {
            for (int c = 0; c < Columns; ++c)
                m_table->item(r, c)->setFont(bold);
        }
    }

    // Every row is shown whole: the rows share what room the window has, and never get less
    // than a line of text each.
    QHeaderView* lines = m_table->verticalHeader();
    lines->setMinimumSectionSize(fontMetrics().height() + 6);
    lines->setSectionResizeMode(QHeaderView::Stretch);
    m_table->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    m_table->setMinimumHeight(columns->sizeHint().height() +
                              rows.size() * lines->minimumSectionSize() +
                              2 * m_table->frameWidth());
}

QWidget* FormStatistics::frame()
{
    return parentWidget() ? parentWidget() : this;
}

void FormStatistics::refreshHeader()
{
    const QStringList titles = m_sheet.columnTitles();
    for (int c = 0; c < Columns; ++c)
        m_table->horizontalHeaderItem(c)->setText(titles.value(c));
    // A header that is not five titles is still shown, whole, over the first column.
    if (titles.isEmpty())
        m_table->horizontalHeaderItem(0)->setText(
            m_sheet.text(QStringLiteral("dbrecords(0)")).trimmed());

    // The count columns share the width equally, each wide enough for its title and a
    // five-digit count; the window grows when the sheet's width is not enough.
    QHeaderView* columns = m_table->horizontalHeader();
    int countWidth = columns->fontMetrics().horizontalAdvance(QStringLiteral("00000")) +
                     2 * style()->pixelMetric(QStyle::PM_HeaderMargin);
    for (int c = 1; c < Columns; ++c)
        countWidth = std::max(countWidth, columns->sectionSizeHint(c));
    const int textMargin = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1) + 2;
    int captionWidth = columns->sectionSizeHint(0);
    for (const QTableWidgetItem* caption : std::as_const(m_rowCaptions))
        captionWidth =
            std::max(captionWidth,
                     QFontMetrics(caption->font()).horizontalAdvance(caption->text()) + textMargin);
    m_table->setMinimumWidth(captionWidth + (Columns - 1) * countWidth + 2 * m_table->frameWidth());
    fitWindow();
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
        refreshHeader();
    } else if (name == QLatin1String("Text_debugs")) {
        QString text = m_sheet.text(name);
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        m_trace->setPlainText(text);
        m_trace->moveCursor(QTextCursor::End);
    } else if (QTableWidgetItem* cell = m_cells.value(name)) {
        const QString text = m_sheet.text(name).trimmed();
        cell->setText(text.isEmpty() ? unfilled : text);
    } else if (QLineEdit* box = m_boxes.value(name)) {
        box->setText(m_sheet.text(name));
    }
    if (QWidget* w = m_hideable.value(name)) {
        const bool visible = m_sheet.isVisible(name);
        if (w->isVisibleTo(this) != visible) {
            w->setVisible(visible);
            fitWindow();
        }
    }
}

void FormStatistics::refreshAll()
{
    setWindowTitle(m_sheet.caption(QStringLiteral("Caption")));
    for (auto it = m_captions.cbegin(); it != m_captions.cend(); ++it)
        it.value()->setText(m_sheet.caption(it.key()));
    for (auto it = m_rowCaptions.cbegin(); it != m_rowCaptions.cend(); ++it) {
        it.value()->setText(m_sheet.caption(it.key()));
        const Qt::ItemFlags flags =
            m_sheet.isRowEnabled(it.key()) ? Qt::ItemIsEnabled : Qt::NoItemFlags;
        const int row = it.value()->row();
        for (int c = 0; c < Columns; ++c)
            m_table->item(row, c)->setFlags(flags);
    }
    for (const QString& name : StatisticsSheet::textNames())
        refresh(name);
    for (auto it = m_hideable.cbegin(); it != m_hideable.cend(); ++it)
        it.value()->setVisible(m_sheet.isVisible(it.key()));
    fitWindow();
}

// The size the sheet gives, grown where the content needs more (a larger font, the running
// counters shown): the table's rows take any room to spare, so no empty band is left.
// The debugging switch adds its room to what the window is without it, grown or not.
void FormStatistics::fitWindow()
{
    const QSize given(twipsToPixels(m_sheet.widthTwips()) - FrameWidthPixels,
                      twipsToPixels(StatisticsSheet::HeightTwips) - FrameHeightPixels);
    const int traceRoom =
        twipsToPixels(m_sheet.heightTwips()) - twipsToPixels(StatisticsSheet::HeightTwips);
    layout()->invalidate();
    const QSize minimum = layout()->totalMinimumSize();
    QWidget* trace = m_hideable.value(QStringLiteral("Frame2"));
    const int traceMinimum =
        trace->isVisibleTo(this) ? trace->minimumSizeHint().height() + layout()->spacing() : 0;
    QSize size = given.expandedTo(QSize(minimum.width(), minimum.height() - traceMinimum));
    size = (size + QSize(0, traceRoom)).expandedTo(minimum);
    setFixedSize(size);
    if (parentWidget())
        parentWidget()->adjustSize();
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
