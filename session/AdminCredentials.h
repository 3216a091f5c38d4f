#pragma once

#include <QString>

struct BaseContext;

// Credentials that must not be compiled into the program: the administrator login used for
// schema work on behalf of users other than "MT", and the schema owner's password. They come
// from the per-user file credentials in the configuration folder (section [Administrator]
// with User and Password, section [Owner] with Password), which is read only when no one but
// its owner may read it; VARROW_ADMIN_USER, VARROW_ADMIN_PASSWORD and VARROW_OWNER_PASSWORD
// override it for unattended runs.
struct AdminCredentials
{
    QString user;
    QString password;
    QString ownerPassword;

    // Reads them. A file others could read is refused: the user is told once per run.
    static AdminCredentials load(const BaseContext& context);
    static QString filePath();
};
