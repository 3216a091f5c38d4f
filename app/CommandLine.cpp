#include "app/CommandLine.h"

#include <QStringList>

CommandSwitch commandSwitch(const QString& trimmedLine)
{
    const QString head = trimmedLine.left(9).toUpper();
    if (head == QLatin1String("-AUTOSYNC"))
        return CommandSwitch::AutoSync;
    if (head == QLatin1String("-TRANSFER"))
        return CommandSwitch::Transfer;
    if (head == QLatin1String("-TRANSALL"))
        return CommandSwitch::TransAll;
    if (head == QLatin1String("DEBUGGING"))
        return CommandSwitch::Debugging;
    return CommandSwitch::None;
}

namespace {

std::optional<QString> keyValue(const QString& line, const QString& upper, const char* key,
                                bool toEnd)
{
    const qsizetype at = upper.indexOf(QLatin1String(key));
    if (at < 0)
        return std::nullopt;
    const qsizetype start = at + 5; // the four letters and the one character after them
    if (toEnd)
        return line.mid(start).trimmed();
    if (start >= line.size())
        return std::nullopt;
    const qsizetype end = line.indexOf(QLatin1Char(';'), start);
    if (end < 0)
        return std::nullopt;
    return line.mid(start, end - start).trimmed();
}

} // namespace

CommandKeys parseCommandKeys(const QString& line)
{
    const QString upper = line.toUpper();
    CommandKeys keys;
    keys.mdsn = keyValue(line, upper, "MDSN", false);
    keys.muid = keyValue(line, upper, "MUID", false);
    keys.mpwd = keyValue(line, upper, "MPWD", false);
    keys.rdsn = keyValue(line, upper, "RDSN", false);
    keys.ruid = keyValue(line, upper, "RUID", false);
    keys.rpwd = keyValue(line, upper, "RPWD", true);
    return keys;
}

QString missingKeys(const CommandKeys& keys)
{
    QStringList missing;
    const std::pair<const char*, const std::optional<QString>*> all[] = {
        {"MDSN", &keys.mdsn}, {"MUID", &keys.muid}, {"MPWD", &keys.mpwd},
        {"RDSN", &keys.rdsn}, {"RUID", &keys.ruid}, {"RPWD", &keys.rpwd}};
    for (const auto& [name, value] : all) {
        if (!value->has_value())
            missing.append(QLatin1String(name));
    }
    return missing.join(QStringLiteral(", "));
}
