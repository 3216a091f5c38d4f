#include "SqliteTestDatabase.h"

#include "tests/support/TestSupport.h"

#include <sqlite3.h>

SqliteTestDatabase::SqliteTestDatabase(const QString& file, bool loadExtension)
{
    if (sqlite3_open(file.toUtf8().constData(), &m_db) != SQLITE_OK)
        qFatal("cannot open %s", qPrintable(file));
    if (!loadExtension)
        return;
    sqlite3_enable_load_extension(m_db, 1);
    char* error = nullptr;
    if (sqlite3_load_extension(m_db, extensionPath().toUtf8().constData(), nullptr, &error) !=
        SQLITE_OK)
        qFatal("cannot load the extension: %s", error);
}

SqliteTestDatabase::~SqliteTestDatabase()
{
    sqlite3_close(m_db);
}

QString SqliteTestDatabase::exec(const QString& sql)
{
    char* error = nullptr;
    if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &error) == SQLITE_OK)
        return QString();
    const QString message = QString::fromUtf8(error);
    sqlite3_free(error);
    return message;
}

QStringList SqliteTestDatabase::query(const QString& sql)
{
    sqlite3_stmt* statement = nullptr;
    QStringList rows;
    if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &statement, nullptr) != SQLITE_OK)
        return {QStringLiteral("error: ") + QString::fromUtf8(sqlite3_errmsg(m_db))};
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        QStringList values;
        for (int i = 0; i < sqlite3_column_count(statement); ++i) {
            const unsigned char* text = sqlite3_column_text(statement, i);
            values.append(text ? QString::fromUtf8(reinterpret_cast<const char*>(text))
                               : QStringLiteral("(NULL)"));
        }
        rows.append(values.join(QLatin1Char('|')));
    }
    if (rc != SQLITE_DONE)
        rows = QStringList{QStringLiteral("error: ") + QString::fromUtf8(sqlite3_errmsg(m_db))};
    sqlite3_finalize(statement);
    return rows;
}

QString SqliteTestDatabase::value(const QString& sql)
{
    const QStringList rows = query(sql);
    return rows.isEmpty() ? QString() : rows.first().section(QLatin1Char('|'), 0, 0);
}

QString SqliteTestDatabase::extensionPath()
{
    return testsupport::binaryDir() + QStringLiteral("/varrow_sqlext.so");
}
