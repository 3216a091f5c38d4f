#include "copy/Catalogue.h"

#include "app/ErrorReporter.h"
#include "app/Program.h"
#include "copy/SqlLiteral.h"
#include "db/Sessions.h"

bool TableExists(Program& program, const QString& which, const QString& tableName)
{
    return tableExistsChecked(program, which, tableName).value_or(false);
}

std::optional<bool> tableExistsChecked(Program& program, const QString& which, const QString& tableName)
{
    std::optional<Side> side;
    if (which == QLatin1String("M"))
        side = Side::Master;
    else if (which == QLatin1String("R"))
        side = Side::Remote;
    if (!side)
        return false;
    const QString sql = QStringLiteral("SELECT table_name FROM sys.systable WHERE table_name = ") +
                        sqlText(tableName);
    try {
        return !userConnection(program, *side).openRecordset(sql)->eof();
    } catch (const DbError& e) {
        ReportError(program, e.number(), e.description(), QStringLiteral("VRW1,TableExists"), sql);
        return std::nullopt;
    }
}
