#include "tests/support/MasterDatabase.h"

#include "schema/PostgresDatabase.h"
#include "schema/SqliteDatabase.h"

namespace {

class SqliteMaster : public MasterDatabase
{
public:
    explicit SqliteMaster(std::unique_ptr<SqliteDatabase> db) : m_db(std::move(db)) {}
    void exec(const QString& sql) override { m_db->exec(sql); }
    QList<QVariantList> rows(const QString& sql) override { return m_db->rows(sql); }
    void holdWriteLock() override { m_db->exec(QStringLiteral("begin immediate")); }
    void rollback() override { m_db->rollback(); }
    void refuse(const QString& event, const QString& table, const QString& message) override
    {
        m_db->exec(QStringLiteral("create trigger refuse_%1 before %2 on %1 begin select "
                                  "raise(abort, '%3'); end")
                       .arg(table, event, message));
    }

private:
    std::unique_ptr<SqliteDatabase> m_db;
};

class PostgresMaster : public MasterDatabase
{
public:
    explicit PostgresMaster(std::unique_ptr<PostgresDatabase> db) : m_db(std::move(db))
    {
        m_db->exec(QStringLiteral("set search_path = mt, sys, public, varrow_test"));
    }
    void exec(const QString& sql) override { m_db->exec(sql); }
    QList<QVariantList> rows(const QString& sql) override
    {
        QList<QVariantList> result;
        for (const PostgresDatabase::Row& row : m_db->rows(sql)) {
            QVariantList values;
            for (const std::optional<QString>& value : row)
                values.append(value ? QVariant(*value) : QVariant());
            result.append(values);
        }
        return result;
    }
    void holdWriteLock() override
    {
        m_db->exec(QStringLiteral("begin"));
        for (const PostgresDatabase::Row& row : m_db->rows(QStringLiteral(
                 "select tablename from pg_tables where schemaname = 'mt' order by 1")))
            m_db->exec(QStringLiteral("lock table mt.%1 in exclusive mode").arg(*row.first()));
    }
    void rollback() override { m_db->exec(QStringLiteral("rollback")); }
    void refuse(const QString& event, const QString& table, const QString& message) override
    {
        m_db->exec(QStringLiteral("create function mt.refuse_%1() returns trigger language "
                                  "plpgsql as $$ begin raise exception '%3'; end $$; "
                                  "create trigger refuse_%1 before %2 on mt.%1 for each row "
                                  "execute function mt.refuse_%1()")
                       .arg(table, event, message));
    }

private:
    std::unique_ptr<PostgresDatabase> m_db;
};

} // namespace

QVariant MasterDatabase::scalar(const QString& sql)
{
    const QList<QVariantList> all = rows(sql);
    return all.isEmpty() || all.first().isEmpty() ? QVariant() : all.first().first();
}

std::unique_ptr<MasterDatabase> MasterDatabase::sqlite(std::unique_ptr<SqliteDatabase> db)
{
    return std::make_unique<SqliteMaster>(std::move(db));
}

std::unique_ptr<MasterDatabase> MasterDatabase::postgres(std::unique_ptr<PostgresDatabase> db)
{
    return std::make_unique<PostgresMaster>(std::move(db));
}
