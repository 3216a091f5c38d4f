#include "remote/StuffRepForm.h"

#include "base/BaseContext.h"
#include "base/ErrorReporter.h"
#include "views/RepStatusSheet.h"

#include <QFile>
#include <stdexcept>

QStringList backupLogLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(
            QStringLiteral("%1: %2").arg(path, file.errorString()).toStdString());
    QString text = QString::fromUtf8(file.readAll());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the end of the last line, not a line of its own
    return lines;
}

QString StuffRepForm(const BaseContext& context, RepStatusSheet& sheet, const QString& logPath,
                     qint16 pass)
{
    context.ui.setBusy(true);
    QString last;
    try {
        int counter = pass * 3 + 1;
        for (const QString& line : backupLogLines(logPath)) {
            if (counter >= 1 && counter <= RepStatusSheet::ResultLines)
                sheet.setResultLine(counter, line);
            ++counter;
            last = line;
        }
    } catch (const std::runtime_error& error) {
        ReportError(context, 53, QString::fromStdString(error.what()),
                    QStringLiteral("ModuleVRW1,StuffRepForm"), QString());
        return {};
    }
    context.ui.setBusy(false);
    return last;
}
