#pragma once

#include <QLocale>
#include <QString>

struct BaseContext;

// Locale information types the program asks for.
inline constexpr int LocaleDecimalSeparator = 14;
inline constexpr int LocaleThousandsSeparator = 15;

// The user's locale, as the operating system reports it.
QLocale userDefaultLocale();

// One item of locale information; an unknown type is reported through ReportError
// ("ModuleVRW1, GetLocaleInfo") and gives empty text.
QString GetLocaleInfo(const BaseContext& context, const QLocale& locale, int type);

// Number text as SQL needs it: every thousands separator removed, then every decimal
// separator replaced by ".".
QString InvariantNumber(const QString& text, const QString& thousandsSeparator,
                        const QString& decimalSeparator);
