#include "copy/SqlLiteral.h"

#include <QDate>
#include <QRegularExpression>

namespace {

struct DateTimeText
{
    QDate date;
    int hour = 0, minute = 0, second = 0;
    QString fraction; // the digits after the seconds' point, as given
};

// A date or date and time as the engine writes it: "YYYY-MM-DD" (or with "/"), optionally
// followed by a blank or "T" and "HH:NN[:SS[.fff]]". Month, day and the time's parts may
// come with one digit.
std::optional<DateTimeText> parseDateTime(const QString& text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(\\d{4})[-/](\\d{1,2})[-/](\\d{1,2})"
                       "(?:[ T](\\d{1,2}):(\\d{1,2})(?::(\\d{1,2})(?:\\.(\\d*))?)?)?$"));
    const QRegularExpressionMatch m = pattern.match(text.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    DateTimeText t;
    t.date = QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (!t.date.isValid())
        return std::nullopt;
    t.hour = m.captured(4).toInt();
    t.minute = m.captured(5).toInt();
    t.second = m.captured(6).toInt();
    t.fraction = m.captured(7);
    if (t.hour > 23 || t.minute > 59 || t.second > 59)
        return std::nullopt;
    return t;
}

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

QString dateText(const QDate& d)
{
    return QStringLiteral("%1-%2-%3")
        .arg(d.year(), 4, 10, QLatin1Char('0'))
        .arg(twoDigits(d.month()), twoDigits(d.day()));
}

std::optional<QString> dateLiteral(const QString& text)
{
    const std::optional<DateTimeText> t = parseDateTime(text);
    if (!t)
        return std::nullopt;
    return QLatin1Char('\'') + dateText(t->date) + QLatin1Char('\'');
}

// Milliseconds at least; a finer fraction the engine holds is kept rather than cut, so a copied
// timestamp compares equal to its original.
std::optional<QString> timestampLiteral(const QString& text)
{
    const std::optional<DateTimeText> t = parseDateTime(text);
    if (!t)
        return std::nullopt;
    QString fraction = t->fraction;
    if (fraction.size() < 3)
        fraction += QString(3 - fraction.size(), QLatin1Char('0'));
    return QLatin1Char('\'') + dateText(t->date) + QLatin1Char(' ') + twoDigits(t->hour) +
           QLatin1Char(':') + twoDigits(t->minute) + QLatin1Char(':') + twoDigits(t->second) +
           QLatin1Char('.') + fraction + QLatin1Char('\'');
}

// Drivers hand binary values over as hexadecimal text: bare digits (the usual conversion of
// binary data to characters) or already written as a literal, X'..' or 0x... The engine's own
// binary literal is 0x followed by the bytes, two digits each ("0x" alone for no bytes).
std::optional<QString> binaryLiteral(const QString& text)
{
    QString digits = text.trimmed();
    if ((digits.startsWith(QLatin1String("X'"), Qt::CaseInsensitive)) && digits.size() >= 3 &&
        digits.endsWith(QLatin1Char('\'')))
        digits = digits.mid(2, digits.size() - 3);
    else if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        digits = digits.mid(2);
    static const QRegularExpression hex(QStringLiteral("^[0-9A-Fa-f]*$"));
    if (!hex.match(digits).hasMatch())
        return std::nullopt;
    if (digits.size() % 2 != 0)
        digits.prepend(QLatin1Char('0'));
    return QStringLiteral("0x") + digits.toUpper();
}

} // namespace

QString doubledQuotes(const QString& text)
{
    QString result = text;
    result.replace(QLatin1Char('\''), QStringLiteral("''"));
    return result;
}

QString sqlText(const QString& text)
{
    return QLatin1Char('\'') + doubledQuotes(text) + QLatin1Char('\'');
}

QDateTime engineTimestamp(const QString& text)
{
    const std::optional<DateTimeText> t = parseDateTime(text);
    if (!t)
        return QDateTime();
    return QDateTime(t->date,
                     QTime(t->hour, t->minute, t->second,
                           t->fraction.left(3).leftJustified(3, QLatin1Char('0')).toInt()));
}

std::optional<QString> fieldLiteral(const DbValue& value, const FieldFormat& format)
{
    if (!value)
        return QStringLiteral("NULL");
    const QString& text = *value;
    if (format.binary)
        return binaryLiteral(text);
    switch (format.code) {
    case FieldFormat::Text:
    case FieldFormat::LongText:
        return sqlText(text);
    case FieldFormat::Date:
        return dateLiteral(text);
    case FieldFormat::Number:
        // The driver's text is the engine's own number, already with "." and without group
        // separators. It must not go through the user's separators (InvariantNumber): under a
        // locale whose thousands separator is "." that would delete the decimal point.
        return sqlText(text.trimmed());
    case FieldFormat::Time:
        // Passed on as it stands; quotes are still doubled, so a stray apostrophe in one of
        // these columns cannot end the literal and take the rest of the row with it.
        return sqlText(text);
    case FieldFormat::Timestamp:
        return timestampLiteral(text);
    default:
        return QString();
    }
}

DbError conversionError(const QString& value, const FieldFormat& format)
{
    QString kind = QStringLiteral("text");
    if (format.binary)
        kind = QStringLiteral("binary data");
    else if (format.code == FieldFormat::Date)
        kind = QStringLiteral("a date");
    else if (format.code == FieldFormat::Timestamp)
        kind = QStringLiteral("a timestamp");
    constexpr int shown = 60;
    const QString start = value.size() > shown ? value.left(shown) + QStringLiteral("...") : value;
    return DbError(13, QStringLiteral("Type mismatch: '%1' cannot be read as %2").arg(start, kind));
}
