#pragma once

#include <QString>

struct BaseContext;

// The per-user settings store, by section and key. A value never written reads as empty.
QString GetRegSetting(const BaseContext& context, const QString& section, const QString& key);
void SaveRegSetting(const BaseContext& context, const QString& section, const QString& key,
                    const QString& value);
