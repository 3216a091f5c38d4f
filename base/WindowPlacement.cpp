#include "base/WindowPlacement.h"

#include "base/Settings.h"
#include "base/TextNumber.h"

double storedTwips(const BaseContext& context, const QString& section, const QString& key,
                   double defaultTwips)
{
    const QString text = GetRegSetting(context, section, key);
    return text.isEmpty() ? defaultTwips : textNumber(text);
}

void storeTwips(const BaseContext& context, const QString& section, const QString& key, int twips)
{
    SaveRegSetting(context, section, key, QString::number(twips));
}
