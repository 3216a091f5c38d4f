#include "remote/ShellAndWait.h"

#include "base/BaseContext.h"
#include "base/ErrorReporter.h"

#include <QProcess>
#include <QStringList>

qint32 ShellAndWait(const BaseContext& context, const QString& command, qint16 /*windowState*/,
                    qint16 pollIntervalMs, int* exitCode)
{
    if (exitCode)
        *exitCode = -1;
    QString step = QStringLiteral("hProg = Shell(command, windowState)");
    QStringList words = QProcess::splitCommand(command);
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    if (!words.isEmpty()) {
        const QString program = words.takeFirst();
        process.start(program, words);
    }
    if (words.isEmpty() && command.trimmed().isEmpty()) {
        ReportError(context, 5, QStringLiteral("Invalid procedure call or argument: no command"),
                    QStringLiteral("VRW1,ShellAndWait"), step);
        return 0;
    }
    if (!process.waitForStarted()) {
        ReportError(context, 53, QStringLiteral("File not found: %1").arg(process.errorString()),
                    QStringLiteral("VRW1,ShellAndWait"), step);
        return 0;
    }
    step = QStringLiteral("hProcess = OpenProcess(PROCESS_QUERY_INFORMATION, False, hProg)");
    step = QStringLiteral("GetExitCodeProcess hProcess, ExitCode");
    do {
        context.clock.sleep(pollIntervalMs);
        context.ui.yield();
    } while (process.state() != QProcess::NotRunning && !process.waitForFinished(0));
    context.ui.yield();
    if (exitCode && process.exitStatus() == QProcess::NormalExit)
        *exitCode = process.exitCode();
    return 0;
}
