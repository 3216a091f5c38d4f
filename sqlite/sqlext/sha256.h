/* SHA-256, HMAC-SHA-256 and PBKDF2-HMAC-SHA-256, for the login table's password hashes. */
#ifndef VARROW_SHA256_H
#define VARROW_SHA256_H

#include <stddef.h>
#include <stdint.h>

#define VARROW_SHA256_SIZE 32

typedef struct VarrowSha256
{
    uint32_t state[8];
    uint64_t length;
    unsigned char block[64];
    size_t used;
} VarrowSha256;

void varrowSha256Init(VarrowSha256* context);
void varrowSha256Update(VarrowSha256* context, const void* data, size_t size);
void varrowSha256Final(VarrowSha256* context, unsigned char digest[VARROW_SHA256_SIZE]);

/* out receives outSize bytes derived from password and salt with the given iteration count. */
void varrowPbkdf2Sha256(const void* password, size_t passwordSize, const void* salt,
                        size_t saltSize, unsigned iterations, unsigned char* out, size_t outSize);

#endif
