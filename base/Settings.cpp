#include "base/Settings.h"

#include "base/BaseContext.h"
#include "base/ErrorReporter.h"

#include <QSettings>

namespace {
QString settingKey(const QString& section, const QString& key)
{
    return section + QLatin1Char('/') + key;
}
} // namespace

QString GetRegSetting(const BaseContext& context, const QString& section, const QString& key)
{
    return context.settings.value(settingKey(section, key)).toString();
}

void SaveRegSetting(const BaseContext& context, const QString& section, const QString& key,
                    const QString& value)
{
    context.settings.setValue(settingKey(section, key), value);
    context.settings.sync();
    if (context.settings.status() != QSettings::NoError)
        ReportError(context, 75,
                    QStringLiteral("The settings file %1 cannot be written")
                        .arg(context.settings.fileName()),
                    QStringLiteral("VRW1,SaveRegSetting"), QString());
}
