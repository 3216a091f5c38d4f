#include "db/ConnectionString.h"

#include <QStringList>

ConnectionString ConnectionString::parse(const QString& text)
{
    ConnectionString result;
    qsizetype pos = 0;
    const qsizetype size = text.size();
    while (pos < size) {
        const qsizetype equals = text.indexOf(QLatin1Char('='), pos);
        const qsizetype semicolon = text.indexOf(QLatin1Char(';'), pos);
        if (equals < 0 || (semicolon >= 0 && semicolon < equals)) {
            const qsizetype end = semicolon < 0 ? size : semicolon;
            const QString key = text.mid(pos, end - pos).trimmed();
            if (!key.isEmpty())
                result.m_attributes.append({key, QString()});
            pos = end + 1;
            continue;
        }
        const QString key = text.mid(pos, equals - pos).trimmed();
        pos = equals + 1;
        while (pos < size && text.at(pos) == QLatin1Char(' '))
            ++pos;
        QString value;
        if (pos < size && text.at(pos) == QLatin1Char('{')) {
            ++pos;
            while (pos < size) {
                const QChar c = text.at(pos);
                if (c == QLatin1Char('}')) {
                    if (pos + 1 < size && text.at(pos + 1) == QLatin1Char('}')) {
                        value.append(c);
                        pos += 2;
                        continue;
                    }
                    ++pos;
                    break;
                }
                value.append(c);
                ++pos;
            }
            // Anything between the closing brace and the next ';' is not part of the value.
            const qsizetype next = text.indexOf(QLatin1Char(';'), pos);
            pos = next < 0 ? size : next + 1;
        } else {
            const qsizetype end = text.indexOf(QLatin1Char(';'), pos);
            value = text.mid(pos, (end < 0 ? size : end) - pos).trimmed();
            pos = end < 0 ? size : end + 1;
        }
        result.m_attributes.append({key, value});
    }
    return result;
}

qsizetype ConnectionString::indexOf(const QString& key) const
{
    for (qsizetype i = 0; i < m_attributes.size(); ++i) {
        if (m_attributes.at(i).first.compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

bool ConnectionString::contains(const QString& key) const
{
    return indexOf(key) >= 0;
}

QString ConnectionString::value(const QString& key) const
{
    const qsizetype i = indexOf(key);
    return i < 0 ? QString() : m_attributes.at(i).second;
}

void ConnectionString::setValue(const QString& key, const QString& value)
{
    const qsizetype i = indexOf(key);
    if (i < 0)
        m_attributes.append({key, value});
    else
        m_attributes[i].second = value;
}

void ConnectionString::remove(const QString& key)
{
    m_attributes.removeIf([&key](const QPair<QString, QString>& attribute) {
        return attribute.first.compare(key, Qt::CaseInsensitive) == 0;
    });
}

QString ConnectionString::toString() const
{
    QStringList parts;
    for (const auto& [key, value] : m_attributes)
        parts.append(key + QLatin1Char('=') + quoteValue(value));
    return parts.join(QLatin1Char(';'));
}

QString ConnectionString::quoteValue(const QString& value)
{
    const bool needsBraces = value.contains(QLatin1Char(';')) || value.contains(QLatin1Char('{')) ||
                             value.contains(QLatin1Char('}')) || value != value.trimmed();
    if (!needsBraces)
        return value;
    QString escaped = value;
    escaped.replace(QLatin1String("}"), QLatin1String("}}"));
    return QLatin1Char('{') + escaped + QLatin1Char('}');
}

QString connectionString(const QString& dataSource, const QString& user, const QString& password)
{
    return QStringLiteral("DSN=") + ConnectionString::quoteValue(dataSource) +
           QStringLiteral(";UID=") + ConnectionString::quoteValue(user) + QStringLiteral(";PWD=") +
           ConnectionString::quoteValue(password);
}
