#pragma once

#include <QByteArray>

// PBKDF2-HMAC-SHA-256 (RFC 8018), the digest the SQL extension stores for each login. The
// client checks a password with it so that the password never travels as SQL text.
class PasswordDigest
{
public:
    static QByteArray pbkdf2Sha256(const QByteArray& password, const QByteArray& salt,
                                   int iterations, int length);
    // Compares every byte, so the time taken tells nothing about where two digests differ.
    static bool equal(const QByteArray& a, const QByteArray& b);
};
