#include "sqlite/SystemProcedureRule.h"

namespace {

QString literal(const QString& text)
{
    return SqlToken::string(text).text;
}

} // namespace

std::optional<SystemProcedureRule::Call>
SystemProcedureRule::parseCall(const SqlStatement& statement)
{
    if (!statement.startsWith({"call"}))
        return std::nullopt;
    const int name = statement.nextSignificant(statement.first() + 1);
    if (name >= statement.size())
        return std::nullopt;
    // Arguments: nothing, "()", or "(n)" for sa_db_info's database number.
    QStringList arguments;
    int end = statement.nextSignificant(name + 1);
    if (end < statement.size() && statement.at(end).isSymbol(QLatin1String("("))) {
        const int close = statement.closing(end);
        for (int i = statement.nextSignificant(end + 1); i < close;
             i = statement.nextSignificant(i + 1))
            arguments.append(statement.at(i).text);
        end = statement.nextSignificant(close + 1);
    }
    if (end < statement.size())
        return std::nullopt;
    return Call{statement.at(name).text, arguments};
}

std::optional<QString> SystemProcedureRule::rewrite(const SqlStatement& statement) const
{
    const std::optional<Call> call = parseCall(statement);
    if (!call)
        return std::nullopt;
    const QStringList& arguments = call->arguments;
    const SqlToken procedure = SqlToken::word(call->procedure);
    if (procedure.is(QLatin1String("sa_db_info"))) {
        if (arguments.isEmpty())
            return databaseInfo(true);
        if (arguments.size() == 1)
            return databaseInfo(arguments.first() == QLatin1String("0"));
        return std::nullopt;
    }
    if (procedure.is(QLatin1String("sa_eng_properties")) && arguments.isEmpty())
        return engineProperties();
    return std::nullopt;
}

QString SystemProcedureRule::databaseInfo(bool thisDatabase) const
{
    // One database per connection, number 0; any other number has no row.
    return QStringLiteral("select 0 as Number, %1 as Alias, %2 as File, %3 as PageSize, "
                          "%4 as LogName, null as LogMirrorName, %5 as ReadOnly%6")
        .arg(literal(m_facts.alias), literal(m_facts.file), QString::number(m_facts.pageSize),
             literal(m_facts.logName),
             literal(m_facts.readOnly ? QStringLiteral("On") : QStringLiteral("Off")),
             thisDatabase ? QString() : QStringLiteral(" where 0"));
}

QString SystemProcedureRule::engineProperties() const
{
    const struct
    {
        const char* name;
        const char* description;
        QString value;
    } properties[] = {
        {"Name", "Name of the database server", m_facts.engineName},
        {"ProductName", "Name of the database product",
         QStringLiteral("SQLite (Varrow SQL Anywhere stand-in)")},
        {"ProductVersion", "Version of the database product", m_facts.productVersion},
        {"Platform", "Operating system the server runs on", m_facts.platform},
        {"MachineName", "Name of the computer the server runs on", m_facts.machineName},
    };
    QStringList rows;
    int number = 1;
    for (const auto& property : properties)
        rows.append(QStringLiteral("(%1, %2, %3, %4)")
                        .arg(number++)
                        .arg(literal(QLatin1String(property.name)),
                             literal(QLatin1String(property.description)),
                             literal(property.value)));
    return QStringLiteral("select column1 as PropNum, column2 as PropName, column3 as "
                          "PropDescription, column4 as Value from (values %1) order by 1")
        .arg(rows.join(QLatin1String(", ")));
}
