#include "copy/FieldTypeCache.h"

std::optional<FieldFormat> FieldTypeCache::find(const QString& columnName) const
{
    for (const Entry& e : m_entries)
        if (e.name.compare(columnName, Qt::CaseInsensitive) == 0)
            return e.format;
    return std::nullopt;
}

bool FieldTypeCache::store(const QString& columnName, const FieldFormat& format)
{
    if (m_entries.size() >= Capacity)
        return false;
    m_entries.append({columnName, format});
    return true;
}
