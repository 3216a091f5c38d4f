#pragma once

#include "copy/FieldFormat.h"

#include <QList>
#include <QString>
#include <optional>

// The formats of the columns looked up so far, keyed by column name alone (without regard to
// case, whatever the table). It never forgets; once it holds its 2000 entries, further names
// are no longer stored and are looked up afresh each time.
class FieldTypeCache
{
public:
    static constexpr int Capacity = 2000;

    std::optional<FieldFormat> find(const QString& columnName) const;
    // Stores the entry when there is room; false when the cache is full.
    bool store(const QString& columnName, const FieldFormat& format);
    int size() const { return static_cast<int>(m_entries.size()); }

private:
    struct Entry
    {
        QString name;
        FieldFormat format;
    };
    QList<Entry> m_entries;
};
