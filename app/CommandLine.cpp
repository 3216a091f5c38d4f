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

bool isSwitchWordEnd(QChar c)
{
    return c.isSpace() || c == QLatin1Char(';');
}

// Where the key list starts: after the switch word when the line starts with one.
qsizetype listStart(const QString& line)
{
    if (commandSwitch(line) == CommandSwitch::None)
        return 0;
    qsizetype at = 0;
    while (at < line.size() && !isSwitchWordEnd(line.at(at)))
        ++at;
    return at;
}

qsizetype skipBlanks(const QString& line, qsizetype at)
{
    while (at < line.size() && line.at(at).isSpace())
        ++at;
    return at;
}

// The places where a key may stand: the start of the list and right after each ";".
QList<qsizetype> keyPositions(const QString& line)
{
    QList<qsizetype> positions;
    qsizetype at = listStart(line);
    if (at < line.size() && line.at(at) != QLatin1Char(';'))
        positions.append(skipBlanks(line, at));
    while ((at = line.indexOf(QLatin1Char(';'), at)) >= 0) {
        ++at;
        positions.append(skipBlanks(line, at));
    }
    return positions;
}

// The first place before `end` where the key stands, compared on the text as given.
std::optional<qsizetype> keyAt(const QString& line, const QList<qsizetype>& positions,
                               const char* key, qsizetype end)
{
    const QLatin1String name(key);
    for (qsizetype at : positions) {
        if (at >= end)
            break;
        if (QStringView(line).mid(at, name.size()).compare(name, Qt::CaseInsensitive) == 0)
            return at;
    }
    return std::nullopt;
}

std::optional<QString> valueAt(const QString& line, std::optional<qsizetype> key, bool toEnd)
{
    if (!key)
        return std::nullopt;
    const qsizetype start = *key + 5; // the four letters and the one character after them
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
    const QList<qsizetype> positions = keyPositions(line);
    const std::optional<qsizetype> rpwd = keyAt(line, positions, "RPWD", line.size());
    // RPWD's value runs to the end of the line: nothing in it is a key.
    const qsizetype end = rpwd.value_or(line.size());
    CommandKeys keys;
    keys.mdsn = valueAt(line, keyAt(line, positions, "MDSN", end), false);
    keys.muid = valueAt(line, keyAt(line, positions, "MUID", end), false);
    keys.mpwd = valueAt(line, keyAt(line, positions, "MPWD", end), false);
    keys.rdsn = valueAt(line, keyAt(line, positions, "RDSN", end), false);
    keys.ruid = valueAt(line, keyAt(line, positions, "RUID", end), false);
    keys.rpwd = valueAt(line, rpwd, true);
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

std::optional<QString> informationRequest(const QStringList& arguments)
{
    if (arguments.size() != 1)
        return std::nullopt;
    if (arguments.first() == QLatin1String("--version"))
        return QStringLiteral("vrw1 (Varrow) %1.%2.%3\n")
            .arg(VARROW_VERSION_MAJOR)
            .arg(VARROW_VERSION_MINOR)
            .arg(VARROW_VERSION_PATCH);
    if (arguments.first() != QLatin1String("--help"))
        return std::nullopt;
    return QStringLiteral(
        "Usage: vrw1 [SWITCH] [MDSN=name;MUID=user;MPWD=password;RDSN=name;RUID=user;"
        "RPWD=password]\n"
        "       vrw1 --help | --version\n"
        "Keeps the Remote Database, a copy worked on apart, in step with the Master Database.\n"
        "\n"
        "Without a switch the connect dialog opens, its fields filled from the keys given.\n"
        "A switch starts the command line (only its first nine characters count, in any case):\n"
        "  -AUTOSYNC  connect, transfer the new and the changed records, create a new Remote\n"
        "             Database from the Master Database, and end\n"
        "  -TRANSFER  connect, transfer the new and the changed records, and end\n"
        "  -TRANSALL  connect and merge every record of the Remote Database into the Master\n"
        "             Database (maintenance; the window stays open)\n"
        "  DEBUGGING  show the copy engine's trace in the statistics window\n"
        "Keys, after the switch in any order and case, each written KEY=value: MDSN, MUID,\n"
        "MPWD name the data source, user and password of the Master Database, RDSN, RUID,\n"
        "RPWD those of the Remote Database. Each value ends with \";\" except RPWD's, which\n"
        "runs to the end of the line, so RPWD comes last. Quote the list for the shell.\n"
        "\n"
        "vrw1 reads its texts from vrwphrases.txt in the working folder or its installation.\n"
        "VARROW_HEADLESS=1 runs without windows: messages go to standard error and take\n"
        "their default answer, or the answers listed in VARROW_ANSWERS (\"Yes,No,...\").\n"
        "Exit status: 0 done, 1 stopped by a failure, 2 done but syncerr.log needs a look.\n");
}
