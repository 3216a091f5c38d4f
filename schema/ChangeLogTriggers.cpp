#include "schema/ChangeLogTriggers.h"

namespace {

// One row for qel_vr_log, each field an SQL expression over NEW/OLD.
struct LogRow
{
    QString xtag;
    QString xtagAdditional;
    QString affectedColumn;
    QString action;
    QString asset;
};

QString quoted(const QString& text)
{
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QLatin1String("''")) +
           QLatin1Char('\'');
}

QString field(const QString& row, const QString& column)
{
    return column.isEmpty() ? QStringLiteral("NULL") : row + QLatin1Char('.') + column;
}

QString assetOf(const TableDefinition& table, const QString& row)
{
    static const QString byItem =
        QStringLiteral("(SELECT i4201 FROM inventory WHERE mtag = %1.mtag)");
    switch (table.assetSource) {
    case AssetSource::Own:
        return row + QLatin1String(".i4201");
    case AssetSource::Item:
        return byItem.arg(row);
    case AssetSource::ItemOrCalibration:
        // Results and standards carry the item's mtag too, but only the calibration is sure
        // to: fall back to it when the row's own mtag finds nothing.
        return QStringLiteral("COALESCE(%1, (SELECT i.i4201 FROM calibration c JOIN inventory i "
                              "ON i.mtag = c.mtag WHERE c.ctag = %2.ctag))")
            .arg(byItem.arg(row), row);
    case AssetSource::None:
        break;
    }
    return QStringLiteral("NULL");
}

QString valuesOf(const TableDefinition& table, const LogRow& r)
{
    return QStringLiteral("%1, %2, %3, %4, %5, %6, %7, NULL, %8")
        .arg(r.xtag, r.xtagAdditional, quoted(table.name.toUpper()), r.affectedColumn,
             quoted(r.action), ChangeLogTriggers::userExpression(),
             ChangeLogTriggers::nowExpression(), r.asset);
}

const QString logColumns = QStringLiteral(
    "INSERT INTO qel_vr_log (xtag, xtag_additional, affected_table, affected_column, action, "
    "mtuser, event_date, sync_date, i4201) ");

QString insertRow(const TableDefinition& table, const LogRow& r)
{
    return logColumns + QStringLiteral("VALUES (%1);").arg(valuesOf(table, r));
}

QString insertRowWhen(const TableDefinition& table, const LogRow& r, const QString& condition)
{
    return logColumns + QStringLiteral("SELECT %1 WHERE %2;").arg(valuesOf(table, r), condition);
}

enum class Engine
{
    Sqlite,
    Postgres
};

// Binary compare: a change of letter case is a change worth carrying, even though the
// columns themselves compare without regard to case.
QString changed(Engine engine, const QString& column)
{
    return (engine == Engine::Sqlite ? QStringLiteral("NEW.%1 IS NOT OLD.%1 COLLATE BINARY")
                                     : QStringLiteral("NEW.%1::text IS DISTINCT FROM OLD.%1::text"))
        .arg(column);
}

QString kept(Engine engine, const QString& column)
{
    return (engine == Engine::Sqlite
                ? QStringLiteral("NEW.%1 IS OLD.%1 COLLATE BINARY")
                : QStringLiteral("NEW.%1::text IS NOT DISTINCT FROM OLD.%1::text"))
        .arg(column);
}

LogRow whole(const TableDefinition& table, const QString& row, const QString& action)
{
    return {field(row, table.xtagColumn), field(row, table.xtagAdditionalColumn),
            QStringLiteral("NULL"), action, assetOf(table, row)};
}

QString trigger(const TableDefinition& table, const QString& event, const QString& body)
{
    return QStringLiteral("CREATE TRIGGER %1_vrlog_%2 AFTER %3 ON %1 FOR EACH ROW "
                          "WHEN EXISTS (SELECT 1 FROM dbconfig WHERE dbremote = 1) BEGIN %4 END")
        .arg(table.name, event.left(3).toLower(), event, body);
}

// A keyed table logs each changed column by a trigger of its own, so an update compiles only
// the triggers of the columns it sets, not a program that covers the whole table. SQLite fires
// the triggers of one event newest first: they are made last column first, so that the
// columns of one update are logged in the table's order.
QStringList columnUpdateTriggers(const TableDefinition& table)
{
    QStringList triggers;
    for (auto c = table.columns.crbegin(); c != table.columns.crend(); ++c) {
        LogRow r = whole(table, QStringLiteral("NEW"), QStringLiteral("UPD"));
        r.affectedColumn = quoted(c->name);
        triggers.append(
            QStringLiteral("CREATE TRIGGER %1_vrlog_upd_%2 AFTER UPDATE OF %2 ON %1 "
                           "FOR EACH ROW WHEN %3 AND EXISTS (SELECT 1 FROM dbconfig "
                           "WHERE dbremote = 1) BEGIN %4 END")
                .arg(table.name, c->name, changed(Engine::Sqlite, c->name), insertRow(table, r)));
    }
    return triggers;
}

// Validation rows: a new key is a different row. The transfers apply validation INS/DEL as
// whole rows, while their UPD forms address a row by part of its key only.
QString updateBody(const TableDefinition& table, Engine engine)
{
    QString body;
    const QStringList key = {table.xtagColumn, table.xtagAdditionalColumn};
    QStringList keyChanged, keyKept;
    for (const QString& k : key) {
        keyChanged.append(changed(engine, k));
        keyKept.append(kept(engine, k));
    }
    const QString anyKeyChanged =
        QLatin1Char('(') + keyChanged.join(QLatin1String(" OR ")) + QLatin1Char(')');
    body += insertRowWhen(table, whole(table, QStringLiteral("OLD"), QStringLiteral("DEL")),
                          anyKeyChanged);
    body += insertRowWhen(table, whole(table, QStringLiteral("NEW"), QStringLiteral("INS")),
                          anyKeyChanged);

    for (const ColumnDefinition& c : table.columns) {
        if (key.contains(c.name))
            continue;
        LogRow r;
        r.action = QStringLiteral("UPD");
        r.affectedColumn = quoted(c.name);
        if (table.logForm == ChangeLogForm::ValidationField) {
            r.xtag = QStringLiteral("NEW.") + table.xtagColumn;
            r.xtagAdditional = quoted(c.name);
            r.asset = QStringLiteral("NULL");
        } else {
            r.xtag = QStringLiteral("NEW.") + table.xtagColumn;
            r.xtagAdditional = QStringLiteral("NEW.") + c.name;
            r.asset = QStringLiteral("NEW.") + table.xtagAdditionalColumn;
        }
        body += insertRowWhen(table, r,
                              changed(engine, c.name) + QLatin1String(" AND ") +
                                  keyKept.join(QLatin1String(" AND ")));
    }
    return body;
}

} // namespace

QString ChangeLogTriggers::userExpression()
{
    return QStringLiteral("varrow_user()");
}

QString ChangeLogTriggers::nowExpression()
{
    return QStringLiteral("varrow_now()");
}

QStringList ChangeLogTriggers::createStatements(const TableDefinition& table)
{
    if (table.logForm == ChangeLogForm::None)
        return {};
    QStringList statements = {
        trigger(table, QStringLiteral("INSERT"),
                insertRow(table, whole(table, QStringLiteral("NEW"), QStringLiteral("INS")))),
        trigger(table, QStringLiteral("DELETE"),
                insertRow(table, whole(table, QStringLiteral("OLD"), QStringLiteral("DEL")))),
    };
    if (table.logForm == ChangeLogForm::Keyed)
        statements += columnUpdateTriggers(table);
    else
        statements.append(
            trigger(table, QStringLiteral("UPDATE"), updateBody(table, Engine::Sqlite)));
    return statements;
}

QStringList ChangeLogTriggers::createPostgresStatements(const TableDefinition& table)
{
    if (table.logForm == ChangeLogForm::None)
        return {};
    QString update;
    if (table.logForm == ChangeLogForm::Keyed) {
        // One row per changed column, in the table's order.
        for (const ColumnDefinition& c : table.columns) {
            LogRow r = whole(table, QStringLiteral("NEW"), QStringLiteral("UPD"));
            r.affectedColumn = quoted(c.name);
            update += QStringLiteral("IF %1 THEN %2 END IF; ")
                          .arg(changed(Engine::Postgres, c.name), insertRow(table, r));
        }
    } else {
        update = updateBody(table, Engine::Postgres);
    }
    const QString function =
        QStringLiteral(
            "CREATE FUNCTION mt.%1_vrlog() RETURNS trigger LANGUAGE plpgsql "
            "SET search_path = mt, sys, public AS $vrlog$ BEGIN "
            "IF NOT EXISTS (SELECT 1 FROM dbconfig WHERE dbremote = 1) THEN RETURN NULL; END IF; "
            "IF TG_OP = 'INSERT' THEN %2 ELSIF TG_OP = 'DELETE' THEN %3 ELSE %4 END IF; "
            "RETURN NULL; END $vrlog$")
            .arg(table.name,
                 insertRow(table, whole(table, QStringLiteral("NEW"), QStringLiteral("INS"))),
                 insertRow(table, whole(table, QStringLiteral("OLD"), QStringLiteral("DEL"))),
                 update);
    return {function,
            QStringLiteral("CREATE TRIGGER %1_vrlog AFTER INSERT OR UPDATE OR DELETE ON mt.%1 "
                           "FOR EACH ROW EXECUTE FUNCTION mt.%1_vrlog()")
                .arg(table.name)};
}
