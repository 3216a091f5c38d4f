#include "tests/support/ScriptedUi.h"

#include "base/ProgramExit.h"

Answer ScriptedUi::message(const Message& message)
{
    messages.append(message);
    if (qEnvironmentVariableIsSet("VARROW_TEST_SHOW_MESSAGES"))
        qInfo("message: %s", qPrintable(message.text));
    if (!script.isEmpty())
        return script.takeFirst();
    return defaultAnswer(message);
}

void ScriptedUi::yield()
{
    ++yields;
    if (onYield)
        onYield();
    throwIfExitPending();
}

void ScriptedUi::showWindow(Window window)
{
    shown.append(window);
    open.insert(window);
}

QStringList ScriptedUi::texts() const
{
    QStringList result;
    for (const Message& m : messages)
        result.append(m.text);
    return result;
}
