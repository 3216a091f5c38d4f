#include "schema/TableDefinition.h"

const ColumnDefinition* TableDefinition::column(const QString& columnName) const
{
    for (const ColumnDefinition& c : columns)
        if (c.name.compare(columnName, Qt::CaseInsensitive) == 0)
            return &c;
    return nullptr;
}

QStringList TableDefinition::columnNames() const
{
    QStringList names;
    for (const ColumnDefinition& c : columns)
        names.append(c.name);
    return names;
}

QString TableDefinition::createStatement() const
{
    QStringList parts;
    for (const ColumnDefinition& c : columns) {
        QString part = c.name + QLatin1Char(' ') + c.type;
        if (c.isText())
            part += QLatin1String(" COLLATE NOCASE");
        if (c.notNull)
            part += QLatin1String(" NOT NULL");
        if (!c.defaultSql.isEmpty())
            part += QLatin1String(" DEFAULT ") + c.defaultSql;
        parts.append(part);
    }
    if (!primaryKey.isEmpty())
        parts.append(QStringLiteral("PRIMARY KEY (%1)").arg(primaryKey.join(QLatin1Char(','))));
    for (const QStringList& unique : uniqueKeys)
        parts.append(QStringLiteral("UNIQUE (%1)").arg(unique.join(QLatin1Char(','))));
    return QStringLiteral("CREATE TABLE %1 (%2)").arg(name, parts.join(QLatin1Char(',')));
}

QStringList TableDefinition::indexStatements() const
{
    QStringList statements;
    for (const QStringList& index : indexes)
        statements.append(
            QStringLiteral("CREATE INDEX %1_%2 ON %1 (%3)")
                .arg(name, index.join(QLatin1Char('_')), index.join(QLatin1Char(','))));
    return statements;
}
