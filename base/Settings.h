#pragma once

#include <QString>

class Program;

// The per-user settings store, by section and key. A value never written reads as empty.
QString GetRegSetting(Program& program, const QString& section, const QString& key);
void SaveRegSetting(Program& program, const QString& section, const QString& key,
                    const QString& value);
