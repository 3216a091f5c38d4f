#include "copy/CopyTrace.h"

#include "app/Program.h"

void showCopyTrace(Program& program, const QString& text)
{
    if (program.state.switchDebugging)
        program.statistics.setText(QStringLiteral("Text_debugs"), text);
}

void appendCopyTrace(Program& program, const QString& line)
{
    if (!program.state.switchDebugging)
        return;
    StatisticsSheet& sheet = program.statistics;
    const QString shown = sheet.text(QStringLiteral("Text_debugs"));
    sheet.setText(QStringLiteral("Text_debugs"),
                  shown.isEmpty() ? line : shown + QStringLiteral("\r\n") + line);
}
