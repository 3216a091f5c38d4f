#include "sqlite/OptionRule.h"

#include "db/DbError.h"

#include <limits>

namespace {

DbError refused(const QString& what)
{
    return DbError(-1, what, QStringLiteral("0A000"));
}

} // namespace

std::optional<qint64> OptionRule::blockingTimeout(const SqlStatement& statement)
{
    int at = statement.first();
    if (at >= statement.size() || !statement.at(at).is(QLatin1String("set")))
        return std::nullopt;
    at = statement.nextSignificant(at + 1);
    if (at < statement.size() && statement.at(at).is(QLatin1String("temporary")))
        at = statement.nextSignificant(at + 1);
    if (at >= statement.size() || !statement.at(at).is(QLatin1String("option")))
        return std::nullopt;
    const QList<int> path = statement.namePath(statement.nextSignificant(at + 1));
    if (path.isEmpty())
        return std::nullopt;
    const QString option = statement.at(path.last()).name();
    if (option.compare(QLatin1String("blocking_timeout"), Qt::CaseInsensitive) != 0)
        throw refused(QStringLiteral("The option %1 is not supported").arg(option));

    const int equals = statement.nextSignificant(path.last() + 1);
    const int value = equals < statement.size() ? statement.nextSignificant(equals + 1) : equals;
    bool number = false;
    qint64 milliseconds = -1;
    if (value < statement.size() && statement.at(equals).isSymbol(QLatin1String("="))) {
        const SqlToken& token = statement.at(value);
        const QString text = token.kind == SqlToken::Kind::String
                                 ? token.text.mid(1, token.text.size() - 2)
                                 : token.text;
        milliseconds = text.trimmed().toLongLong(&number);
    }
    if (!number || milliseconds < 0 || statement.nextSignificant(value + 1) < statement.size())
        throw refused(QStringLiteral("The option blocking_timeout takes a number of milliseconds"));
    return milliseconds;
}

std::optional<QString> OptionRule::rewrite(const SqlStatement& statement)
{
    const std::optional<qint64> timeout = blockingTimeout(statement);
    if (!timeout)
        return std::nullopt;
    const qint64 milliseconds = *timeout;
    constexpr qint64 longest = std::numeric_limits<int>::max();
    const qint64 each = milliseconds == 0 ? longest : std::min(longest, (milliseconds + 1) / 2);
    return QStringLiteral("pragma busy_timeout = %1").arg(each);
}
