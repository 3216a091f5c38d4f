#include "sqlite/SqliteCatalogue.h"

#include "sqlite/sqlext/varrow_sqlext.h"

QStringList SqliteCatalogue::viewDefinitions()
{
    // Every text column carries NOCASE: the catalogue's names compare like the engine's
    // (table_name = 'Inventory', table_type = 'base').
    return {
        QStringLiteral(
            "create temp view if not exists systable as "
            "select m.rowid as table_id, m.name collate nocase as table_name, "
            "(case m.type when 'view' then 'VIEW' else 'BASE' end) collate nocase as table_type, "
            "1 as creator "
            "from main.sqlite_schema as m "
            "where m.type in ('table', 'view') and m.name not like 'sqlite\\_%' escape '\\' "
            "and m.name not like '%1%' escape '\\'")
            .arg(QStringLiteral(VARROW_SQLEXT_PREFIX)
                     .replace(QLatin1String("_"), QLatin1String("\\_"))),
        QStringLiteral(
            "create temp view if not exists syscolumn as "
            "select t.table_id as table_id, p.cid + 1 as column_id, "
            "p.name collate nocase as column_name, varrow_domain_id(p.type) as domain_id, "
            "(case when p.\"notnull\" or p.pk > 0 then 'N' else 'Y' end) collate nocase as nulls, "
            "p.dflt_value collate nocase as \"default\", "
            "varrow_domain_width(p.type) as width, varrow_domain_scale(p.type) as scale, "
            "(case when p.pk > 0 then 'Y' else 'N' end) collate nocase as pkey "
            "from systable as t, pragma_table_info(t.table_name, 'main') as p"),
        QStringLiteral(
            "create temp view if not exists sysdomain as "
            "with recursive ids(n) as (select 1 union all select n + 1 from ids "
            "where n < varrow_domain_count()) "
            "select n as domain_id, varrow_domain_name(n) collate nocase as domain_name from ids"),
    };
}
