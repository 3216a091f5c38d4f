#include "base/WindowPlacement.h"

#include "base/Settings.h"
#include "base/TextNumber.h"

double storedTwips(Program& program, const QString& section, const QString& key, double defaultTwips)
{
    const QString text = GetRegSetting(program, section, key);
    return text.isEmpty() ? defaultTwips : textNumber(text);
}

void storeTwips(Program& program, const QString& section, const QString& key, int twips)
{
    SaveRegSetting(program, section, key, QString::number(twips));
}
