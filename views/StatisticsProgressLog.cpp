#include "views/StatisticsProgressLog.h"

#include "base/Clock.h"
#include "views/StatisticsSheet.h"

#include <algorithm>

StatisticsProgressLog::StatisticsProgressLog(StatisticsSheet& sheet, Clock& clock, std::FILE* out,
                                             int intervalMs)
    : m_sheet(sheet), m_clock(clock), m_out(out), m_intervalMs(intervalMs)
{
    m_later.setSingleShot(true);
    connect(&m_later, &QTimer::timeout, this, &StatisticsProgressLog::writeWhenDue);
    connect(&sheet, &StatisticsSheet::changed, this, &StatisticsProgressLog::onChanged);
    // What the sheet holds before anything ran is no progress worth a line.
    m_lastLine = currentLine();
}

StatisticsProgressLog::~StatisticsProgressLog()
{
    flush();
}

QString StatisticsProgressLog::formatLine(const QString& function, const QString& progress,
                                          int percent)
{
    QString line = QStringLiteral("[%1%] ").arg(percent, 3) + function.trimmed();
    if (!progress.trimmed().isEmpty())
        line += QStringLiteral(" - ") + progress.trimmed();
    return line;
}

void StatisticsProgressLog::flush()
{
    m_later.stop();
    const QString line = currentLine();
    if (line != m_lastLine)
        write(line);
}

void StatisticsProgressLog::onChanged(const QString& name)
{
    // A freshly loaded sheet says "completed" until the transfer that opened it writes its
    // first step: the load is the starting point, not progress.
    if (name.isEmpty()) {
        m_lastLine = currentLine();
        return;
    }
    if (name != QLatin1String("Function") && name != QLatin1String("Progress") &&
        name != QLatin1String("ProgressBar"))
        return;
    // A step sets Function, Progress and the bar one after the other, then lets the event
    // loop run: the line is considered there, once the step is complete, never half-way.
    m_later.start(0);
}

void StatisticsProgressLog::writeWhenDue()
{
    const QString line = currentLine();
    if (line == m_lastLine)
        return;
    const qint64 since = m_lastWrite.isValid() ? m_lastWrite.msecsTo(m_clock.now()) : m_intervalMs;
    if (since >= m_intervalMs)
        write(line);
    else
        m_later.start(static_cast<int>(m_intervalMs - since));
}

QString StatisticsProgressLog::currentLine() const
{
    return formatLine(m_sheet.text(QStringLiteral("Function")),
                      m_sheet.text(QStringLiteral("Progress")), m_sheet.progressBar());
}

void StatisticsProgressLog::write(const QString& line)
{
    m_lastLine = line;
    m_lastWrite = m_clock.now();
    std::fputs(qPrintable(line + QLatin1Char('\n')), m_out);
    std::fflush(m_out);
}
