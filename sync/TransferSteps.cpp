#include "sync/TransferSteps.h"

#include "copy/RowCopy.h"
#include "copy/TempTables.h"
#include "session/Sessions.h"

TransferSteps::TransferSteps(const CopyContext& context)
    : m_context(context), m_state(context.state), m_sheet(context.statistics)
{
}

void TransferSteps::bindCommands()
{
    m_remote.setActiveConnection(&userConnection(m_context, Side::Remote));
    m_master.setActiveConnection(&userConnection(m_context, Side::Master));
}

void TransferSteps::status(int function, int progress, int bar)
{
    if (function)
        m_sheet.setText(QStringLiteral("Function"), m_context.phrase(function));
    if (progress)
        m_sheet.setText(QStringLiteral("Progress"), m_context.phrase(progress));
    if (bar >= 0)
        m_sheet.setProgressBar(bar);
    m_context.ui.yield();
}

qint32 TransferSteps::countOf(Command& command, const QString& statement)
{
    m_statement = statement;
    command.setCommandText(statement);
    auto rs = command.open();
    return rs->eof() ? 0 : rs->value(0).value_or(QString()).trimmed().toInt();
}

long TransferSteps::execute(Command& command, const QString& statement)
{
    m_statement = statement;
    command.setCommandText(statement);
    return command.execute();
}

bool TransferSteps::declare(const QString& table)
{
    CreateTempTable(m_context, table, QStringLiteral("R"));
    return !lost();
}

bool TransferSteps::copy(const QString& select, const QString& destTable, const QString& mode,
                         long* inserted)
{
    const long count = CopyToDestTable(m_context, select, destTable, mode);
    if (inserted)
        *inserted = count;
    return !lost();
}

QString TransferSteps::customerPrefixStatement()
{
    return QStringLiteral("update temp_inventory,temp_customers set "
                          "temp_inventory.ktag=temp_customers.ktag where "
                          "locate(temp_inventory.ktag,':')>0 and temp_customers.ktag like "
                          "left(temp_inventory.ktag,locate(temp_inventory.ktag,':'))+'%';"
                          "commit");
}

namespace {

QString rekeyStatement(const QString& table, const QString& column)
{
    return QStringLiteral("update ") + table + QStringLiteral(" set ") + column +
           QStringLiteral("=(select max(xtag) from temp_qel_vr_scratch where "
                          "temp_qel_vr_scratch.mtag=") +
           table + QLatin1Char('.') + column + QStringLiteral(") where ") + column +
           QStringLiteral(" in (select mtag from temp_qel_vr_scratch);commit");
}

} // namespace

bool TransferSteps::mapScratchKeys()
{
    const QString mseg = m_state.masterUserSegregate;
    status(208, 209, 0);
    if (!declare(QStringLiteral("qel_vr_scratch")))
        return false;
    execute(m_master, QStringLiteral("insert into temp_qel_vr_scratch select i4201,mtag,mtag from "
                                     "temp_inventory;commit"));
    status(0, 210, 5);
    execute(m_master, QStringLiteral("create index it4201 on temp_inventory(i4201);commit;create "
                                     "index itmtag  on temp_inventory(mtag);commit;create index "
                                     "scmtag on temp_qel_vr_scratch(mtag);commit;create index "
                                     "sasset on temp_qel_vr_scratch(asset);commit"));
    status(0, 211, 10);
    execute(m_master, QStringLiteral("update temp_qel_vr_scratch,") + mseg +
                          QStringLiteral(".inventory set xtag = ") + mseg +
                          QStringLiteral(".inventory.mtag where asset = i4201;commit;"));
    status(0, 235, 20);
    execute(m_master, QStringLiteral("create index stmtag on temp_qel_vr_scratch(xtag);commit"));
    return !lost();
}

void TransferSteps::rekeyDependants(std::span<const Rekeyed> dependants,
                                    const std::function<bool(const Rekeyed&)>& gathered)
{
    for (const Rekeyed& r : dependants) {
        status(0, r.progress, r.bar);
        if (!gathered(r))
            continue;
        const QString table = QLatin1String(r.table);
        execute(m_master, rekeyStatement(table, QStringLiteral("mtag")));
        if (table == QLatin1String("temp_calibration")) {
            status(0, 213, 40);
            execute(m_master,
                    QStringLiteral("create index ctctag on temp_calibration(ctag);commit"));
        } else if (table == QLatin1String("temp_standards")) {
            status(0, 215, 60);
            execute(m_master, rekeyStatement(table, QStringLiteral("c2430")));
        }
    }
}

bool TransferSteps::rekeyItems()
{
    status(0, 495, 100);
    execute(m_master, QStringLiteral("update temp_inventory,temp_qel_vr_scratch set "
                                     "temp_inventory.mtag = xtag where i4201 = asset;commit;"));
    return !lost();
}
