/* A plain FIPS 180-4 SHA-256 and the RFC 8018 PBKDF2 on top of it. The extension must not
 * depend on a crypto library that the ODBC driver's host process may lack. */
#include "sha256.h"

#include <string.h>

static const uint32_t roundConstants[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

static uint32_t rotateRight(uint32_t value, unsigned bits)
{
    return (value >> bits) | (value << (32 - bits));
}

static void compress(uint32_t state[8], const unsigned char block[64])
{
    uint32_t w[64];
    for (int i = 0; i < 16; ++i)
        w[i] = (uint32_t)block[4 * i] << 24 | (uint32_t)block[4 * i + 1] << 16 |
               (uint32_t)block[4 * i + 2] << 8 | (uint32_t)block[4 * i + 3];
    for (int i = 16; i < 64; ++i) {
        uint32_t s0 = rotateRight(w[i - 15], 7) ^ rotateRight(w[i - 15], 18) ^ (w[i - 15] >> 3);
        uint32_t s1 = rotateRight(w[i - 2], 17) ^ rotateRight(w[i - 2], 19) ^ (w[i - 2] >> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    uint32_t e = state[4], f = state[5], g = state[6], h = state[7];
    for (int i = 0; i < 64; ++i) {
        uint32_t s1 = rotateRight(e, 6) ^ rotateRight(e, 11) ^ rotateRight(e, 25);
        uint32_t choice = (e & f) ^ (~e & g);
        uint32_t t1 = h + s1 + choice + roundConstants[i] + w[i];
        uint32_t s0 = rotateRight(a, 2) ^ rotateRight(a, 13) ^ rotateRight(a, 22);
        uint32_t majority = (a & b) ^ (a & c) ^ (b & c);
        uint32_t t2 = s0 + majority;
        h = g;
        g = f;
        f = e;
        e = d + t1;
        d = c;
        c = b;
        b = a;
        a = t1 + t2;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
    state[5] += f;
    state[6] += g;
    state[7] += h;
}

void varrowSha256Init(VarrowSha256* context)
{
    static const uint32_t initial[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                        0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    memcpy(context->state, initial, sizeof initial);
    context->length = 0;
    context->used = 0;
}

void varrowSha256Update(VarrowSha256* context, const void* data, size_t size)
{
    const unsigned char* bytes = data;
    context->length += size;
    while (size > 0) {
        size_t take = 64 - context->used;
        if (take > size)
            take = size;
        memcpy(context->block + context->used, bytes, take);
        context->used += take;
        bytes += take;
        size -= take;
        if (context->used == 64) {
            compress(context->state, context->block);
            context->used = 0;
        }
    }
}

void varrowSha256Final(VarrowSha256* context, unsigned char digest[VARROW_SHA256_SIZE])
{
    uint64_t bits = context->length * 8;
    unsigned char padding = 0x80;
    varrowSha256Update(context, &padding, 1);
    padding = 0;
    while (context->used != 56)
        varrowSha256Update(context, &padding, 1);
    unsigned char lengthBytes[8];
    for (int i = 0; i < 8; ++i)
        lengthBytes[i] = (unsigned char)(bits >> (56 - 8 * i));
    varrowSha256Update(context, lengthBytes, 8);
    for (int i = 0; i < 8; ++i) {
        digest[4 * i] = (unsigned char)(context->state[i] >> 24);
        digest[4 * i + 1] = (unsigned char)(context->state[i] >> 16);
        digest[4 * i + 2] = (unsigned char)(context->state[i] >> 8);
        digest[4 * i + 3] = (unsigned char)context->state[i];
    }
}

/* The keyed inner and outer states are computed once per derivation, so each iteration
 * costs two compressions of the previous block instead of four. */
typedef struct HmacKey
{
    VarrowSha256 inner;
    VarrowSha256 outer;
} HmacKey;

static void hmacKeyInit(HmacKey* key, const void* secret, size_t secretSize)
{
    unsigned char block[64] = {0};
    if (secretSize > 64) {
        VarrowSha256 hashed;
        varrowSha256Init(&hashed);
        varrowSha256Update(&hashed, secret, secretSize);
        varrowSha256Final(&hashed, block);
    } else if (secretSize > 0) {
        memcpy(block, secret, secretSize);
    }
    unsigned char pad[64];
    for (int i = 0; i < 64; ++i)
        pad[i] = block[i] ^ 0x36;
    varrowSha256Init(&key->inner);
    varrowSha256Update(&key->inner, pad, 64);
    for (int i = 0; i < 64; ++i)
        pad[i] = block[i] ^ 0x5c;
    varrowSha256Init(&key->outer);
    varrowSha256Update(&key->outer, pad, 64);
}

static void hmac(const HmacKey* key, const void* first, size_t firstSize, const void* second,
                 size_t secondSize, unsigned char out[VARROW_SHA256_SIZE])
{
    VarrowSha256 context = key->inner;
    varrowSha256Update(&context, first, firstSize);
    if (secondSize > 0)
        varrowSha256Update(&context, second, secondSize);
    unsigned char innerDigest[VARROW_SHA256_SIZE];
    varrowSha256Final(&context, innerDigest);
    context = key->outer;
    varrowSha256Update(&context, innerDigest, sizeof innerDigest);
    varrowSha256Final(&context, out);
}

void varrowPbkdf2Sha256(const void* password, size_t passwordSize, const void* salt,
                        size_t saltSize, unsigned iterations, unsigned char* out, size_t outSize)
{
    HmacKey key;
    hmacKeyInit(&key, password, passwordSize);
    for (uint32_t blockIndex = 1; outSize > 0; ++blockIndex) {
        unsigned char counter[4] = {(unsigned char)(blockIndex >> 24),
                                    (unsigned char)(blockIndex >> 16),
                                    (unsigned char)(blockIndex >> 8), (unsigned char)blockIndex};
        unsigned char u[VARROW_SHA256_SIZE];
        unsigned char t[VARROW_SHA256_SIZE];
        hmac(&key, salt, saltSize, counter, sizeof counter, u);
        memcpy(t, u, sizeof t);
        for (unsigned i = 1; i < iterations; ++i) {
            hmac(&key, u, sizeof u, NULL, 0, u);
            for (int j = 0; j < VARROW_SHA256_SIZE; ++j)
                t[j] ^= u[j];
        }
        size_t take = outSize < sizeof t ? outSize : sizeof t;
        memcpy(out, t, take);
        out += take;
        outSize -= take;
    }
}
