#include "remote/EngineFolder.h"

#include "base/BaseContext.h"
#include "db/DataSources.h"
#include "db/DbError.h"

#include <QFileInfo>

QString engineFolderOf(const std::optional<QString>& start)
{
    if (!start)
        return {};
    QString folder;
    qsizetype at = start->indexOf(QLatin1String("dbsrv"));
    if (at < 0)
        at = start->indexOf(QLatin1String("dbeng"));
    if (at >= 0)
        folder = start->left(at);
    if (!folder.isEmpty() && !QFileInfo(folder + QLatin1String(StopUtility)).isFile())
        folder.clear();
    if (!folder.isEmpty() && !QFileInfo(folder + QLatin1String(BackupUtility)).isFile())
        folder.clear();
    return folder;
}

QString GetEngineFolder(const BaseContext& context)
{
    context.ui.setBusy(true);
    QString folder;
    try {
        const QString& dataSource = context.state.remoteDataSource;
        std::optional<QString> start =
            DataSources::value(DataSources::Scope::System, dataSource, QStringLiteral("Start"));
        if (!start)
            start =
                DataSources::value(DataSources::Scope::User, dataSource, QStringLiteral("Start"));
        folder = engineFolderOf(start);
    } catch (const DbError&) {
        folder.clear();
    }
    context.ui.setBusy(false);
    return folder;
}
