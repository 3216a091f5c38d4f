#include "views/StatisticsSheet.h"

#include "base/ErrorReporter.h"
#include "base/ProgramEvents.h"
#include "base/TextNumber.h"
#include "base/Ui.h"
#include "base/WindowPlacement.h"
#include "db/DbError.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace {

const QString section = QStringLiteral("FormStatistics");
const QString debugControls[] = {QStringLiteral("Frame2"), QStringLiteral("Text_debugs"),
                                 QStringLiteral("Label_debugs")};

QStringList buildTextNames()
{
    QStringList names;
    using Column = StatisticsSheet::Column;
    for (Column c : {Column::Rtotal, Column::Rnumber, Column::Mtotal, Column::Mnumber}) {
        for (const QString& suffix : StatisticsSheet::tableSuffixes())
            names.append(StatisticsSheet::box(c, suffix));
        names.append(StatisticsSheet::totalBox(c));
    }
    names << QStringLiteral("Function") << QStringLiteral("Progress")
          << QStringLiteral("ProgressBar") << QStringLiteral("TextCounter")
          << QStringLiteral("Textmaxcounter") << QStringLiteral("Text_debugs")
          << QStringLiteral("dbrecords(0)");
    return names;
}

[[noreturn]] void unknownControl(const QString& name)
{
    throw std::invalid_argument("The statistics window has no control " + name.toStdString());
}

} // namespace

StatisticsSheet::StatisticsSheet(const BaseContext& context) : m_context(context)
{
    reset();
}

const QStringList& StatisticsSheet::tableSuffixes()
{
    static const QStringList suffixes = {
        QStringLiteral("inv"), QStringLiteral("cal"), QStringLiteral("std"), QStringLiteral("crs"),
        QStringLiteral("frs"), QStringLiteral("rrs"), QStringLiteral("loc"), QStringLiteral("rep"),
        QStringLiteral("cus"), QStringLiteral("vfd"), QStringLiteral("vld")};
    return suffixes;
}

const QStringList& StatisticsSheet::rowNames()
{
    static const QStringList rows = {
        QStringLiteral("Inventory"),  QStringLiteral("Calibration"), QStringLiteral("Standards"),
        QStringLiteral("Calresults"), QStringLiteral("FullResults"), QStringLiteral("RawResults"),
        QStringLiteral("Location"),   QStringLiteral("Repair"),      QStringLiteral("Customers"),
        QStringLiteral("Totals"),     QStringLiteral("ValField"),    QStringLiteral("ValLinkData")};
    return rows;
}

namespace {
constexpr qsizetype totalsRow = 9; // after the nine tables the totals count
} // namespace

bool StatisticsSheet::isTotalsRow(qsizetype index)
{
    return index == totalsRow;
}

QString StatisticsSheet::rowBox(Column column, qsizetype index)
{
    if (isTotalsRow(index))
        return totalBox(column);
    return box(column, tableSuffixes().at(index < totalsRow ? index : index - 1));
}

QString StatisticsSheet::box(Column column, const QString& suffix)
{
    switch (column) {
    case Column::Rtotal:
        return QStringLiteral("Rtotal") + suffix;
    case Column::Rnumber:
        return QLatin1Char('R') + suffix + QStringLiteral("number");
    case Column::Mtotal:
        return QStringLiteral("Mtotal") + suffix;
    case Column::Mnumber:
        return QLatin1Char('M') + suffix + QStringLiteral("number");
    }
    return QString();
}

QString StatisticsSheet::totalBox(Column column)
{
    switch (column) {
    case Column::Rtotal:
        return QStringLiteral("Rtotal");
    case Column::Rnumber:
        return QStringLiteral("Rdumptotal");
    case Column::Mtotal:
        return QStringLiteral("Mtotal");
    case Column::Mnumber:
        return QStringLiteral("Minsttotal");
    }
    return QString();
}

const QStringList& StatisticsSheet::textNames()
{
    static const QStringList names = buildTextNames();
    return names;
}

const QStringList& StatisticsSheet::hideableNames()
{
    static const QStringList names = {
        QStringLiteral("LabelCounter"),    QStringLiteral("TextCounter"),
        QStringLiteral("Labelmaxcounter"), QStringLiteral("Textmaxcounter"),
        QStringLiteral("Frame2"),          QStringLiteral("Text_debugs"),
        QStringLiteral("Label_debugs")};
    return names;
}

QString StatisticsSheet::text(const QString& name) const
{
    if (name == QLatin1String("ProgressBar"))
        return QString::number(m_progress);
    const auto it = m_texts.constFind(name);
    if (it == m_texts.constEnd())
        unknownControl(name);
    return *it;
}

void StatisticsSheet::setText(const QString& name, const QString& text)
{
    if (name == QLatin1String("ProgressBar")) {
        setProgressBar(static_cast<int>(std::lround(std::clamp(textNumber(text), -1.0, 101.0))));
        return;
    }
    const auto it = m_texts.find(name);
    if (it == m_texts.end())
        unknownControl(name);
    if (*it == text)
        return;
    *it = text;
    Q_EMIT changed(name);
}

void StatisticsSheet::setNumber(const QString& name, double value)
{
    setText(name, QString::number(value, 'g', 15));
}

double StatisticsSheet::number(const QString& name) const
{
    return textNumber(text(name));
}

QString StatisticsSheet::numberText(const QString& name) const
{
    return QString::number(number(name), 'g', 15);
}

void StatisticsSheet::setProgressBar(int percent)
{
    m_spanRows = 0;
    showProgress(percent);
}

void StatisticsSheet::expectRows(int until, double rows)
{
    m_spanFrom = m_progress;
    m_spanUntil = std::clamp(until, m_progress, 100);
    m_spanRows = rows;
    m_spanDone = 0;
}

void StatisticsSheet::rowDone()
{
    if (m_spanRows <= 0)
        return;
    m_spanDone = std::min(m_spanDone + 1, m_spanRows);
    showProgress(m_spanFrom +
                 static_cast<int>((m_spanUntil - m_spanFrom) * m_spanDone / m_spanRows));
}

void StatisticsSheet::showProgress(int percent)
{
    const int value = std::clamp(percent, 0, 100);
    if (value == m_progress)
        return;
    m_progress = value;
    Q_EMIT changed(QStringLiteral("ProgressBar"));
}

QStringList StatisticsSheet::columnTitles() const
{
    static const QRegularExpression wideGap(QStringLiteral(" {2,}"));
    const QString header = text(QStringLiteral("dbrecords(0)"));
    for (const QStringList& titles : {header.split(QLatin1Char(' '), Qt::SkipEmptyParts),
                                      header.trimmed().split(wideGap, Qt::SkipEmptyParts)}) {
        if (titles.size() == 5)
            return titles;
    }
    return {};
}

QString StatisticsSheet::caption(const QString& name) const
{
    const auto it = m_captions.constFind(name);
    if (it == m_captions.constEnd())
        unknownControl(name);
    return *it;
}

void StatisticsSheet::setVisible(const QString& name, bool visible)
{
    if (!hideableNames().contains(name))
        unknownControl(name);
    if (visible == isVisible(name))
        return;
    if (visible)
        m_hidden.remove(name);
    else
        m_hidden.insert(name);
    Q_EMIT changed(name);
}

void StatisticsSheet::setPosition(double leftTwips, double topTwips)
{
    m_left = leftTwips;
    m_top = topTwips;
}

// The state of a window that was never loaded: empty boxes, counters and trace hidden.
void StatisticsSheet::reset()
{
    m_texts.clear();
    for (const QString& name : textNames())
        if (name != QLatin1String("ProgressBar"))
            m_texts.insert(name, QString());
    m_progress = 0;
    m_spanRows = 0;
    m_captions.clear();
    for (const QString& name : rowNames())
        m_captions.insert(name, name);
    m_captions.insert(QStringLiteral("Caption"), QString());
    m_captions.insert(QStringLiteral("StatTitle"), QString());
    m_captions.insert(QStringLiteral("LabelCounter"), QString());
    m_captions.insert(QStringLiteral("Labelmaxcounter"), QStringLiteral("Records To Insert"));
    m_captions.insert(QStringLiteral("Label_debugs"), QStringLiteral("Code Trace Info"));
    m_hidden = QSet<QString>(hideableNames().begin(), hideableNames().end());
    m_rowsOff.clear();
    m_width = WidthTwips;
    m_height = HeightTwips;
}

void StatisticsSheet::showRunningCounter(bool shown, double count)
{
    setVisible(QStringLiteral("LabelCounter"), shown);
    setVisible(QStringLiteral("TextCounter"), shown);
    if (shown)
        setNumber(QStringLiteral("TextCounter"), count);
}

void StatisticsSheet::load()
{
    if (m_loaded)
        return;
    try {
        reset();
        loadSteps();
        m_loaded = true;
    } catch (const DbError& e) {
        ReportError(m_context, e, QStringLiteral("FormStatistics,FormLoad"), QString());
    } catch (const std::exception& e) {
        ReportError(m_context, 51, QString::fromLocal8Bit(e.what()),
                    QStringLiteral("FormStatistics,FormLoad"), QString());
    }
    Q_EMIT changed(QString());
}

void StatisticsSheet::loadSteps()
{
    Ui& ui = m_context.ui;
    SessionState& s = m_context.state;
    if (ui.isWindowOpen(Window::About))
        ui.closeWindow(Window::About);
    ui.setBusy(true);

    const bool debugging = s.switchDebugging;
    m_height = debugging ? DebuggingHeightTwips : HeightTwips;
    for (const QString& name : debugControls) {
        if (debugging)
            m_hidden.remove(name);
        else
            m_hidden.insert(name);
    }
    if (debugging) {
        // The trace is read best with every row counted as it goes.
        s.runningCounter = true;
        m_context.events.showRunningCounterState();
    }

    m_width = WidthTwips;
    m_left = storedTwips(m_context, section, QStringLiteral("Left"), DefaultLeftTwips);
    m_top = storedTwips(m_context, section, QStringLiteral("Top"), DefaultTopTwips);

    const Phrases& p = s.phrases;
    m_captions[QStringLiteral("Caption")] = p[107];
    m_captions[QStringLiteral("StatTitle")] = p[311];
    // The two validation tables' rows are ours: with them every entry of the change log that a
    // transfer applies is accounted for.
    const int rowPhrases[] = {312, 313, 314, 315, 192, 193, 316, 317, 496, 318, 569, 570};
    for (qsizetype i = 0; i < rowNames().size(); ++i)
        m_captions[rowNames()[i]] = p[rowPhrases[i]];
    m_captions[QStringLiteral("LabelCounter")] = p[11];

    // Full and raw results exist only from schema version 7 on.
    if (s.remoteSchemaVersion.left(1) < QLatin1String("7")) {
        m_rowsOff.insert(QStringLiteral("FullResults"));
        m_rowsOff.insert(QStringLiteral("RawResults"));
    }

    m_progress = 100;
    m_texts[QStringLiteral("Function")] = p[236];
    m_texts[QStringLiteral("Progress")] = p[237];
    ui.setBusy(false);
}

void StatisticsSheet::show()
{
    Ui& ui = m_context.ui;
    // Closed behind the sheet's back (a window closed by request, or on a console): that
    // was its unload.
    if (m_loaded && m_shown && !ui.isWindowOpen(Window::Statistics))
        unload();
    load();
    m_shown = true;
    ui.showWindow(Window::Statistics);
}

void StatisticsSheet::unload()
{
    if (!m_loaded)
        return;
    m_loaded = false;
    m_shown = false;
    storeTwips(m_context, section, QStringLiteral("Left"), static_cast<int>(std::lround(m_left)));
    storeTwips(m_context, section, QStringLiteral("Top"), static_cast<int>(std::lround(m_top)));
}

void StatisticsSheet::close()
{
    unload();
    m_context.ui.closeWindow(Window::Statistics);
}
