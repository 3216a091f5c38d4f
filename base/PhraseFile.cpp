#include "base/PhraseFile.h"

#include "base/BaseContext.h"
#include "base/ErrorReporter.h"
#include "base/ProgramExit.h"
#include "base/Ui.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace {

const QString fileName = QStringLiteral("vrwphrases.txt");

// Texts are trimmed of blanks only: a tab inside a translation is kept.
QString trimBlanks(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == QLatin1Char(' '))
        ++begin;
    while (end > begin && text[end - 1] == QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

PhraseLine parsePhraseLine(const QString& line)
{
    constexpr long long saturated = 1'000'000'000LL;
    PhraseLine result;
    qsizetype i = 0;
    for (; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        result.number = std::min(saturated, result.number * 10 + (c.unicode() - '0'));
    }
    // The character at i is the separator; the text starts after it.
    result.text = trimBlanks(line.mid(i + 1));
    return result;
}

QStringList phraseFileLines(const QString& content)
{
    QStringList lines;
    qsizetype start = 0;
    while (start < content.size()) {
        qsizetype end = start;
        while (end < content.size() && content[end] != QLatin1Char('\r') &&
               content[end] != QLatin1Char('\n'))
            ++end;
        const QString line = content.mid(start, end - start);
        if (line.isEmpty())
            break;
        lines.append(line);
        if (end < content.size() && content[end] == QLatin1Char('\r') && end + 1 < content.size() &&
            content[end + 1] == QLatin1Char('\n'))
            ++end;
        start = end + 1;
    }
    return lines;
}

QStringList phraseFileFolders()
{
    const QDir program(QCoreApplication::applicationDirPath());
    return {QDir::currentPath(), program.path(),
            QDir::cleanPath(program.filePath(QStringLiteral(VARROW_DATA_FROM_BIN)))};
}

QString findPhraseFile(const QStringList& folders)
{
    for (const QString& folder : folders) {
        const QString path = QDir(folder).filePath(fileName);
        if (QFileInfo(path).isFile())
            return path;
    }
    return QString();
}

void GetPhrases(const BaseContext& context)
{
    Ui& ui = context.ui;
    ui.setBusy(true);
    const QString path = findPhraseFile(phraseFileFolders());
    if (path.isEmpty()) {
        ui.setBusy(false);
        ui.message({QStringLiteral("VRWPHRASES.TXT Is Missing! Please check your installation "
                                   "directory for this file. Varrow cannot operate without this "
                                   "file."),
                    QStringLiteral("Terminating!"), MessageIcon::Critical, MessageButtons::Ok,
                    std::nullopt});
        throw ProgramExit(1);
    }

    const QString procedure = QStringLiteral("ModuleVRW1,GetPhrases");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ReportError(context, 75,
                    QStringLiteral("Path/File access error: %1").arg(file.errorString()), procedure,
                    QString());
        return;
    }
    // The file is text in the system's code page, as it was written by a translator's editor.
    QStringDecoder decode(QStringConverter::System);
    const QString content = decode(file.readAll());
    if (file.error() != QFileDevice::NoError) {
        ReportError(context, 75,
                    QStringLiteral("Path/File access error: %1").arg(file.errorString()), procedure,
                    QString());
        return;
    }

    for (const QString& line : phraseFileLines(content)) {
        const PhraseLine phrase = parsePhraseLine(line);
        // Numbers are 16-bit; beyond that the number itself cannot be held, beyond the table
        // it cannot be stored.
        if (phrase.number > 32767) {
            ReportError(context, 6, QStringLiteral("Overflow"), procedure, QString());
            return;
        }
        if (phrase.number >= Phrases::Count) {
            ReportError(context, 9, QStringLiteral("Subscript out of range"), procedure, QString());
            return;
        }
        context.state.phrases.set(static_cast<int>(phrase.number), phrase.text);
        ui.yield();
    }
    ui.setBusy(false);
}
