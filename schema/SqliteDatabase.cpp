#include "schema/SqliteDatabase.h"

#include "schema/SchemaError.h"

#include <QFile>
#include <sqlite3.h>

namespace {

QString lastError(sqlite3* db)
{
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
}

} // namespace

SqliteDatabase::SqliteDatabase(const QString& path, Mode mode) : m_path(path)
{
    const int flags = SQLITE_OPEN_READWRITE | (mode == Mode::Create ? SQLITE_OPEN_CREATE : 0);
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, flags, nullptr) != SQLITE_OK) {
        const QString why = lastError(m_db);
        sqlite3_close(m_db);
        throw SchemaError(QStringLiteral("Cannot open %1: %2").arg(path, why));
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, 5000);
}

SqliteDatabase::~SqliteDatabase()
{
    m_cache.clear(); // statements first: a connection with live statements does not close
    sqlite3_close(m_db);
}

void SqliteDatabase::loadExtension(const QString& libraryPath)
{
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 1, nullptr);
    char* error = nullptr;
    const int rc =
        sqlite3_load_extension(m_db, QFile::encodeName(libraryPath).constData(), nullptr, &error);
    // Leave the SQL function load_extension() switched off: only this call may load code.
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
    if (rc != SQLITE_OK) {
        const QString why = error ? QString::fromUtf8(error) : lastError(m_db);
        sqlite3_free(error);
        throw SchemaError(
            QStringLiteral("Cannot load the SQLite extension %1: %2").arg(libraryPath, why));
    }
}

void SqliteDatabase::exec(const QString& sql)
{
    char* error = nullptr;
    if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        const QString why = error ? QString::fromUtf8(error) : lastError(m_db);
        sqlite3_free(error);
        throw SchemaError(QStringLiteral("SQLite failed: %1\n  in: %2").arg(why, sql.left(400)));
    }
}

QList<QVariantList> SqliteDatabase::rows(const QString& sql, const QVariantList& values)
{
    SqliteStatement statement(m_db, sql);
    for (int i = 0; i < values.size(); ++i)
        statement.bind(i + 1, values.at(i));
    QList<QVariantList> result;
    while (statement.step()) {
        QVariantList row;
        for (int c = 0; c < statement.columnCount(); ++c)
            row.append(statement.value(c));
        result.append(row);
    }
    return result;
}

QVariant SqliteDatabase::scalar(const QString& sql, const QVariantList& values)
{
    const QList<QVariantList> all = rows(sql, values);
    return all.isEmpty() || all.first().isEmpty() ? QVariant() : all.first().first();
}

SqliteStatement& SqliteDatabase::cached(const QString& sql)
{
    auto it = m_cache.find(sql);
    if (it == m_cache.end())
        it = m_cache.insert(sql, std::make_shared<SqliteStatement>(m_db, sql));
    return **it;
}

namespace {

QString assignments(const SqlValues& values, const QString& separator, QVariantList& bound)
{
    QStringList parts;
    for (const auto& [column, value] : values) {
        parts.append(column + QLatin1String(" = ?"));
        bound.append(value);
    }
    return parts.join(separator);
}

} // namespace

void SqliteDatabase::insert(const QString& table, const SqlValues& values)
{
    QStringList columns;
    QVariantList bound;
    for (const auto& [column, value] : values) {
        columns.append(column);
        bound.append(value);
    }
    const QString sql =
        QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
            .arg(table, columns.join(QLatin1Char(',')),
                 QStringList(columns.size(), QStringLiteral("?")).join(QLatin1Char(',')));
    cached(sql).execute(bound);
}

int SqliteDatabase::update(const QString& table, const SqlValues& values, const SqlValues& key)
{
    QVariantList bound;
    const QString set = assignments(values, QStringLiteral(", "), bound);
    const QString where = assignments(key, QStringLiteral(" AND "), bound);
    cached(QStringLiteral("UPDATE %1 SET %2 WHERE %3").arg(table, set, where)).execute(bound);
    return sqlite3_changes(m_db);
}

int SqliteDatabase::remove(const QString& table, const SqlValues& key)
{
    QVariantList bound;
    const QString where = assignments(key, QStringLiteral(" AND "), bound);
    cached(QStringLiteral("DELETE FROM %1 WHERE %2").arg(table, where)).execute(bound);
    return sqlite3_changes(m_db);
}

void SqliteDatabase::begin()
{
    exec(QStringLiteral("BEGIN IMMEDIATE"));
}

void SqliteDatabase::commit()
{
    exec(QStringLiteral("COMMIT"));
}

void SqliteDatabase::rollback() noexcept
{
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
}

void SqliteDatabase::copyTo(const QString& targetPath)
{
    QFile::remove(targetPath);
    sqlite3* target = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(targetPath).constData(), &target,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        const QString why = lastError(target);
        sqlite3_close(target);
        throw SchemaError(QStringLiteral("Cannot create %1: %2").arg(targetPath, why));
    }
    sqlite3_backup* backup = sqlite3_backup_init(target, "main", m_db, "main");
    int rc = backup ? sqlite3_backup_step(backup, -1) : SQLITE_ERROR;
    if (backup)
        sqlite3_backup_finish(backup);
    const QString why = lastError(target);
    sqlite3_close(target);
    if (rc != SQLITE_DONE)
        throw SchemaError(QStringLiteral("Cannot copy %1 to %2: %3").arg(m_path, targetPath, why));
}
