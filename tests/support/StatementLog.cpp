#include "tests/support/StatementLog.h"

QStringList StatementLog::texts() const
{
    QStringList result;
    for (const RecordedStatement& entry : m_entries)
        result.append(entry.text);
    return result;
}

QStringList StatementLog::texts(const QString& dataSource) const
{
    QStringList result;
    for (const RecordedStatement& entry : m_entries) {
        if (entry.dataSource.compare(dataSource, Qt::CaseInsensitive) == 0)
            result.append(entry.text);
    }
    return result;
}

QStringList StatementLog::textsContaining(const QString& fragment) const
{
    QStringList result;
    for (const RecordedStatement& entry : m_entries) {
        if (entry.text.contains(fragment, Qt::CaseInsensitive))
            result.append(entry.text);
    }
    return result;
}
