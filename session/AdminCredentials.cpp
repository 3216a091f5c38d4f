#include "session/AdminCredentials.h"

#include "base/BaseContext.h"
#include "base/Ui.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <unistd.h>

namespace {

bool g_refusalShown = false;

bool onlyOwnerMayRead(const QFileInfo& file)
{
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::ReadOther |
                                            QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return (file.permissions() & others) == 0 && file.ownerId() == ::getuid();
}

void overrideFromEnvironment(QString& field, const char* variable)
{
    if (qEnvironmentVariableIsSet(variable))
        field = qEnvironmentVariable(variable);
}

} // namespace

QString AdminCredentials::filePath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
        .filePath(QStringLiteral("credentials"));
}

AdminCredentials AdminCredentials::load(const BaseContext& context)
{
    AdminCredentials c;
    const QFileInfo file(filePath());
    if (file.exists()) {
        if (onlyOwnerMayRead(file)) {
            QSettings store(file.filePath(), QSettings::IniFormat);
            c.user = store.value(QStringLiteral("Administrator/User")).toString();
            c.password = store.value(QStringLiteral("Administrator/Password")).toString();
            c.ownerPassword = store.value(QStringLiteral("Owner/Password")).toString();
        } else if (!g_refusalShown) {
            g_refusalShown = true;
            context.ui.message(
                {QStringLiteral(
                     "The credentials file %1 may be read by other users, so Varrow does "
                     "not use it. Allow only its owner to read it (chmod 600).")
                     .arg(file.filePath()),
                 context.phrase(101), MessageIcon::Exclamation, MessageButtons::Ok, std::nullopt});
        }
    }
    overrideFromEnvironment(c.user, "VARROW_ADMIN_USER");
    overrideFromEnvironment(c.password, "VARROW_ADMIN_PASSWORD");
    overrideFromEnvironment(c.ownerPassword, "VARROW_OWNER_PASSWORD");
    return c;
}
