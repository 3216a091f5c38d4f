#include "base/Settings.h"

#include "base/ErrorReporter.h"
#include "app/Program.h"

namespace {
QString settingKey(const QString& section, const QString& key)
{
    return section + QLatin1Char('/') + key;
}
} // namespace

QString GetRegSetting(Program& program, const QString& section, const QString& key)
{
    return program.settings.value(settingKey(section, key)).toString();
}

void SaveRegSetting(Program& program, const QString& section, const QString& key,
                    const QString& value)
{
    program.settings.setValue(settingKey(section, key), value);
    program.settings.sync();
    if (program.settings.status() != QSettings::NoError)
        ReportError(program, 75,
                    QStringLiteral("The settings file %1 cannot be written").arg(program.settings.fileName()),
                    QStringLiteral("VRW1,SaveRegSetting"), QString());
}
