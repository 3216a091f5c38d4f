#include "postgres/PostgresTranslator.h"

#include "sqlite/BinaryLiteralRule.h"
#include "sqlite/ConcatenationRule.h"
#include "sqlite/FunctionRule.h"
#include "sqlite/OptionRule.h"
#include "sqlite/OwnerRule.h"
#include "sqlite/SqlTokenizer.h"
#include "sqlite/StatementSplitter.h"
#include "sqlite/SystemProcedureRule.h"
#include "sqlite/TemporaryTableRule.h"
#include "sqlite/TopRule.h"
#include "sqlite/UpdateRule.h"

namespace {

// "call sa_db_info(n)" and "call sa_eng_properties()" as queries of the database's functions.
std::optional<QString> systemProcedure(const SqlStatement& statement)
{
    const std::optional<SystemProcedureRule::Call> call = SystemProcedureRule::parseCall(statement);
    if (!call)
        return std::nullopt;
    const SqlToken procedure = SqlToken::word(call->procedure);
    if (procedure.is(QLatin1String("sa_db_info")) && call->arguments.size() <= 1)
        return QStringLiteral("select * from sa_db_info(%1)")
            .arg(call->arguments.isEmpty() ? QStringLiteral("0") : call->arguments.first());
    if (procedure.is(QLatin1String("sa_eng_properties")) && call->arguments.isEmpty())
        return QStringLiteral("select * from sa_eng_properties()");
    return std::nullopt;
}

} // namespace

QStringList PostgresTranslator::translate(const QString& commandText)
{
    QStringList result;
    for (SqlStatement statement : StatementSplitter::split(SqlTokenizer::tokenize(commandText))) {
        // The driver keeps the transactions (autocommit, or a batch the program opened).
        if (statement.endsTransaction())
            continue;
        if (const std::optional<qint64> timeout = OptionRule::blockingTimeout(statement)) {
            result.append(QStringLiteral("set lock_timeout = %1").arg(*timeout));
            continue;
        }
        OwnerRule::apply(statement);
        if (const std::optional<QString> query = systemProcedure(statement)) {
            result.append(*query);
            continue;
        }
        FunctionRule::replaceNow(statement);
        TopRule::apply(statement);
        BinaryLiteralRule::apply(statement, QStringLiteral("'\\x%1'::bytea"));
        ConcatenationRule::apply(statement);
        if (!TemporaryTableRule::apply(statement, &PostgresTranslator::columnType))
            UpdateRule::apply(statement);
        result.append(statement.text());
    }
    return result;
}

QString PostgresTranslator::columnType(const QString& declared, bool hasCollation)
{
    const QString type = declared.simplified().toUpper();
    const QString name = type.section(QLatin1Char('('), 0, 0).trimmed();
    if (name.contains(QLatin1String("CHAR")) || name == QLatin1String("TEXT") ||
        name == QLatin1String("CLOB"))
        return hasCollation ? QString() : QStringLiteral("citext");
    if (name.contains(QLatin1String("BINARY")) || name == QLatin1String("IMAGE") ||
        name == QLatin1String("BLOB"))
        return QStringLiteral("bytea");
    if (name == QLatin1String("BIT") || name == QLatin1String("TINYINT"))
        return QStringLiteral("smallint");
    // FLOAT too: the remote's SQLite file keeps every real in 8 bytes.
    if (name == QLatin1String("DOUBLE") || name == QLatin1String("FLOAT"))
        return QStringLiteral("double precision");
    if (name == QLatin1String("DATETIME"))
        return QStringLiteral("timestamp");
    return QString();
}
