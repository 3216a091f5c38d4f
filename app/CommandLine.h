#pragma once

#include <QString>
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
// Keys are found anywhere, without regard to case; each value but RPWD's ends at the next
// ";", RPWD's at the end of the line; values are trimmed. A key that cannot be located (or
// whose value has no ";") stays empty so that its field is left as it is.
struct CommandKeys
{
    std::optional<QString> mdsn, muid, mpwd, rdsn, ruid, rpwd;
};

CommandKeys parseCommandKeys(const QString& line);

// The names of the keys that could not be located, for a warning ("MDSN, RPWD").
QString missingKeys(const CommandKeys& keys);
