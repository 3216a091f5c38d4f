#include "sqlite/PasswordDigest.h"

#include <QCryptographicHash>

namespace {

constexpr int blockSize = 64;

QByteArray sha256(const QByteArray& first, const QByteArray& second)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(first);
    hash.addData(second);
    return hash.result();
}

} // namespace

QByteArray PasswordDigest::pbkdf2Sha256(const QByteArray& password, const QByteArray& salt,
                                        int iterations, int length)
{
    QByteArray key = password.size() > blockSize
                         ? QCryptographicHash::hash(password, QCryptographicHash::Sha256)
                         : password;
    key.resize(blockSize, '\0');
    QByteArray innerPad(blockSize, '\0');
    QByteArray outerPad(blockSize, '\0');
    for (int i = 0; i < blockSize; ++i) {
        innerPad[i] = char(key[i] ^ 0x36);
        outerPad[i] = char(key[i] ^ 0x5c);
    }
    auto hmac = [&](const QByteArray& message) {
        return sha256(outerPad, sha256(innerPad, message));
    };
    QByteArray derived;
    for (quint32 block = 1; derived.size() < length; ++block) {
        QByteArray counter(4, '\0');
        counter[0] = char(block >> 24);
        counter[1] = char(block >> 16);
        counter[2] = char(block >> 8);
        counter[3] = char(block);
        QByteArray u = hmac(salt + counter);
        QByteArray t = u;
        for (int i = 1; i < iterations; ++i) {
            u = hmac(u);
            for (int j = 0; j < t.size(); ++j)
                t[j] = char(t[j] ^ u[j]);
        }
        derived += t;
    }
    derived.truncate(length);
    return derived;
}

bool PasswordDigest::equal(const QByteArray& a, const QByteArray& b)
{
    if (a.size() != b.size())
        return false;
    unsigned char difference = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}
