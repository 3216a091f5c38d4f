#include "gui/LogViewerForm.h"

#include "app/Program.h"
#include "base/ProgramExit.h"
#include "base/WindowPlacement.h"
#include "gui/VarrowIcons.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QToolButton* navigationButton(QWidget* parent, const QString& name, QStyle::StandardPixmap icon)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

LogViewerForm::LogViewerForm(LogViewerModel::Kind kind, Program& program, QWidget* parent)
    : QWidget(parent), m_model(kind, program, program.connections)
{
    setObjectName(m_model.section());
    setWindowIcon(VarrowIcons::icon(102));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("grdDataGrid"));
    m_grid->setModel(&m_model);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 4);
    layout->addWidget(m_grid, 1);

    auto* statBox = new QWidget(this);
    statBox->setObjectName(QStringLiteral("picStatBox"));
    auto* strip = new QHBoxLayout(statBox);
    strip->setContentsMargins(2, 0, 2, 0);
    strip->setSpacing(2);
    m_first = navigationButton(statBox, QStringLiteral("cmdFirst"), QStyle::SP_MediaSkipBackward);
    m_previous =
        navigationButton(statBox, QStringLiteral("cmdPrevious"), QStyle::SP_MediaSeekBackward);
    m_status = new QLabel(statBox);
    m_status->setObjectName(QStringLiteral("lblStatus"));
    m_status->setAlignment(Qt::AlignCenter);
    m_next = navigationButton(statBox, QStringLiteral("cmdNext"), QStyle::SP_MediaSeekForward);
    m_last = navigationButton(statBox, QStringLiteral("cmdLast"), QStyle::SP_MediaSkipForward);
    strip->addWidget(m_first);
    strip->addWidget(m_previous);
    strip->addWidget(m_status, 1);
    strip->addWidget(m_next);
    strip->addWidget(m_last);
    layout->addWidget(statBox);

    auto* buttons = new QWidget(this);
    buttons->setObjectName(QStringLiteral("picButtons"));
    auto* buttonRow = new QHBoxLayout(buttons);
    buttonRow->setContentsMargins(4, 0, 4, 4);
    if (m_model.hasButtons()) {
        m_refresh = new QPushButton(program.phrase(176), buttons);
        m_refresh->setObjectName(QStringLiteral("cmdRefresh"));
        m_close = new QPushButton(program.phrase(174), buttons);
        m_close->setObjectName(QStringLiteral("cmdClose"));
        buttonRow->addStretch();
        buttonRow->addWidget(m_refresh);
        buttonRow->addWidget(m_close);
        connect(m_refresh, &QPushButton::clicked, this,
                [this] { runGuarded([this] { m_model.refresh(); }); });
        connect(m_close, &QPushButton::clicked, this, [this] { frame()->close(); });
        layout->addWidget(buttons);
    } else {
        buttons->hide();
    }

    connect(m_first, &QToolButton::clicked, &m_model, &LogViewerModel::moveFirst);
    connect(m_previous, &QToolButton::clicked, &m_model, &LogViewerModel::movePrevious);
    connect(m_next, &QToolButton::clicked, &m_model, &LogViewerModel::moveNext);
    connect(m_last, &QToolButton::clicked, &m_model, &LogViewerModel::moveLast);
    connect(&m_model, &LogViewerModel::moved, this, &LogViewerForm::followModel);
    connect(&m_model, &QAbstractItemModel::modelReset, this, &LogViewerForm::followModel);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid())
                    m_model.moveTo(current.row());
            });

    setWindowTitle(m_model.caption());
}

bool LogViewerForm::load()
{
    if (!m_model.load())
        return false;
    m_grid->resizeColumnsToContents();
    followModel();
    return true;
}

QWidget* LogViewerForm::frame()
{
    return parentWidget() ? parentWidget() : this;
}

// The label and the grid's current row follow the result set's current row.
void LogViewerForm::followModel()
{
    m_status->setText(m_model.status());
    const int row = m_model.currentRow();
    if (row < 0 || row == m_grid->currentIndex().row())
        return;
    const int column = qMax(0, m_grid->currentIndex().column());
    m_grid->setCurrentIndex(m_model.index(row, column));
}

void LogViewerForm::showEvent(QShowEvent* event)
{
    if (!m_placed) {
        m_placed = true;
        frame()->setGeometry(twipsToPixels(m_model.leftTwips()), twipsToPixels(m_model.topTwips()),
                             twipsToPixels(m_model.widthTwips()),
                             twipsToPixels(m_model.heightTwips()));
    }
    QWidget::showEvent(event);
}

void LogViewerForm::closeEvent(QCloseEvent* event)
{
    const QRect at = frame()->geometry();
    m_model.unload(pixelsToTwips(at.x()), pixelsToTwips(at.y()), pixelsToTwips(at.height()),
                   pixelsToTwips(at.width()));
    event->accept();
}

FormVRLog::FormVRLog(Program& program, QWidget* parent)
    : LogViewerForm(LogViewerModel::Kind::ChangeLog, program, parent)
{
}

FormTransLog::FormTransLog(Program& program, QWidget* parent)
    : LogViewerForm(LogViewerModel::Kind::TransferHistory, program, parent)
{
}
