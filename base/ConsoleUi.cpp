#include "base/ConsoleUi.h"

#include "base/ProgramExit.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace {

std::optional<Answer> parseAnswer(const QString& word)
{
    const QString w = word.trimmed().toLower();
    if (w == QLatin1String("yes"))
        return Answer::Yes;
    if (w == QLatin1String("no"))
        return Answer::No;
    if (w == QLatin1String("ok"))
        return Answer::Ok;
    if (w == QLatin1String("cancel"))
        return Answer::Cancel;
    return std::nullopt;
}

} // namespace

ConsoleUi::ConsoleUi(const QString& answers, std::FILE* out) : m_out(out)
{
    if (!answers.trimmed().isEmpty())
        m_answers = answers.split(QLatin1Char(','));
}

bool ConsoleUi::headlessRequested()
{
    if (qEnvironmentVariable("VARROW_HEADLESS") == QLatin1String("1"))
        return true;
    return qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

QString ConsoleUi::formatLine(const Message& message)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QString text = message.text;
    text.replace(lineBreak, QStringLiteral(" / "));
    return message.title + QStringLiteral(": ") + text;
}

Answer ConsoleUi::message(const Message& message)
{
    writeLine(formatLine(message));
    if (m_answers.isEmpty())
        return defaultAnswer(message);
    const QString word = m_answers.takeFirst();
    const std::optional<Answer> answer = parseAnswer(word);
    if (answer && offers(message, *answer))
        return *answer;
    writeLine(QStringLiteral("VARROW_ANSWERS: \"%1\" does not answer this message; its default "
                             "button was taken")
                  .arg(word.trimmed()));
    return defaultAnswer(message);
}

void ConsoleUi::yield()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
    throwIfExitPending();
}

void ConsoleUi::writeLine(const QString& line)
{
    const QByteArray bytes = line.toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), m_out);
    std::fflush(m_out);
}
