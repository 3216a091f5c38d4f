#include "copy/CopyTrace.h"

#include "copy/CopyContext.h"

void showCopyTrace(const CopyContext& context, const QString& text)
{
    if (context.state.switchDebugging)
        context.statistics.setText(QStringLiteral("Text_debugs"), text);
}

void appendCopyTrace(const CopyContext& context, const QString& line)
{
    if (!context.state.switchDebugging)
        return;
    StatisticsSheet& sheet = context.statistics;
    const QString shown = sheet.text(QStringLiteral("Text_debugs"));
    sheet.setText(QStringLiteral("Text_debugs"),
                  shown.isEmpty() ? line : shown + QStringLiteral("\r\n") + line);
}
