#pragma once

#include <QString>
#include <QStringList>
#include <optional>

enum class CommandSwitch
{
    None,
    AutoSync,
    Transfer,
    TransAll,
    Debugging
};

// The switch a trimmed command line starts with: its first nine characters, upper-cased,
// compared with "-AUTOSYNC", "-TRANSFER", "-TRANSALL" and "DEBUGGING".
CommandSwitch commandSwitch(const QString& trimmedLine);

// The connection keys of a command line, KEY=value; ("=" stands for any one character).
// The list follows the switch word (or makes up the whole line without one). A key stands at
// the start of the list or right after a ";" (blanks between are skipped), in any order and
// without regard to case; text elsewhere, a key name inside a value included, is no key. Each
// value but RPWD's ends at the next ";"; RPWD's runs to the end of the line, so nothing after
// RPWD is a key. Values are trimmed. A key that cannot be located (or whose value has no ";")
// stays empty so that its field is left as it is.
struct CommandKeys
{
    std::optional<QString> mdsn, muid, mpwd, rdsn, ruid, rpwd;
};

CommandKeys parseCommandKeys(const QString& line);

// The names of the keys that could not be located, for a warning ("MDSN, RPWD").
QString missingKeys(const CommandKeys& keys);

// "--help" or "--version" as the one and only argument: the text vrw1 prints before it does
// anything else, and ends. Anywhere else (after a switch, inside a value) they are no request,
// so they never take a word from the program's own command line.
std::optional<QString> informationRequest(const QStringList& arguments);
