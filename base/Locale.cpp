#include "base/Locale.h"

#include "base/ErrorReporter.h"

QLocale userDefaultLocale()
{
    return QLocale::system();
}

QString GetLocaleInfo(const BaseContext& context, const QLocale& locale, int type)
{
    switch (type) {
    case LocaleDecimalSeparator:
        return locale.decimalPoint();
    case LocaleThousandsSeparator:
        return locale.groupSeparator();
    default:
        ReportError(context, 87,
                    QStringLiteral("The locale information type %1 is not supported").arg(type),
                    QStringLiteral("ModuleVRW1, GetLocaleInfo"), QString());
        return QString();
    }
}

QString InvariantNumber(const QString& text, const QString& thousandsSeparator,
                        const QString& decimalSeparator)
{
    QString result = text;
    if (!thousandsSeparator.isEmpty())
        result.remove(thousandsSeparator);
    if (!decimalSeparator.isEmpty())
        result.replace(decimalSeparator, QStringLiteral("."));
    return result;
}
