#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdio>

class Clock;
class StatisticsSheet;

// Progress lines for runs without windows: the statistics sheet's Function, Progress and
// ProgressBar become "[ 45%] <Function> - <Progress>" on the output when the event loop next
// runs (the transfers yield after each step), at most one line per interval; a change held
// back is written when the interval is over, at flush(), or when the log ends, so the last
// state always appears.
class StatisticsProgressLog : public QObject
{
    Q_OBJECT
public:
    static constexpr int DefaultIntervalMs = 500;

    StatisticsProgressLog(StatisticsSheet& sheet, Clock& clock, std::FILE* out = stderr,
                          int intervalMs = DefaultIntervalMs);
    ~StatisticsProgressLog() override;

    static QString formatLine(const QString& function, const QString& progress, int percent);

    // Writes the sheet's state now unless it was written already.
    void flush();

private:
    void onChanged(const QString& name);
    void writeWhenDue();
    QString currentLine() const;
    void write(const QString& line);

    StatisticsSheet& m_sheet;
    Clock& m_clock;
    std::FILE* m_out;
    int m_intervalMs;
    QDateTime m_lastWrite;
    QString m_lastLine;
    QTimer m_later;
};
