/*
 * The conversion library the gateway ships as /lib/libiconv.so, reduced to the
 * three entry points the WLAN library looks up, over the C library's iconv
 * (whose converters cover UTF-8, GBK, BIG5 and ISO-8859-1).
 *
 * The C library's UTF-8 decoder still takes the old five- and six-byte forms;
 * the gateway's converter follows RFC 3629. A UTF-8 source is therefore cut at
 * its first ill-formed sequence before the C library sees it, and that byte is
 * refused as the gateway's converter refuses it.
 */
#include <errno.h>
#include <iconv.h>
#include <pthread.h>
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

#ifdef QZ_ICONV_TABLES
/* Without the C library's converter modules (a cross build's programs under
 * an emulator), GBK, BIG5 and ISO-8859-1 are decoded to UTF-8 from tables
 * generated from the build machine's converters, with the same results and
 * errors. */
#include "qz_iconv_tables.h"

struct code_table {
    const char *name;
    const unsigned char *kind; /* 0 refused, 1 first byte of a pair, 2 a character */
    const uint32_t *single;
    const uint32_t (*pair)[256];
};

static const struct code_table g_tables[] = {
    {"GBK", kGBKKind, kGBKSingle, kGBKPair},
    {"BIG5", kBIG5Kind, kBIG5Single, kBIG5Pair},
    {"ISO-8859-1", kISO_8859_1Kind, kISO_8859_1Single, kISO_8859_1Pair},
};

static const struct code_table *FindTable(const char *tocode, const char *fromcode)
{
    if (strcasecmp(tocode, "UTF-8") != 0 && strcasecmp(tocode, "UTF8") != 0) return NULL;
    for (size_t i = 0; i < sizeof(g_tables) / sizeof(g_tables[0]); i++) {
        if (strcasecmp(fromcode, g_tables[i].name) == 0) return &g_tables[i];
    }
    return NULL;
}

static size_t Utf8Encode(uint32_t cp, unsigned char *out)
{
    if (cp < 0x80) {
        out[0] = (unsigned char)cp;
        return 1;
    }
    if (cp < 0x800) {
        out[0] = (unsigned char)(0xC0 | cp >> 6);
        out[1] = (unsigned char)(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000) {
        out[0] = (unsigned char)(0xE0 | cp >> 12);
        out[1] = (unsigned char)(0x80 | (cp >> 6 & 0x3F));
        out[2] = (unsigned char)(0x80 | (cp & 0x3F));
        return 3;
    }
    out[0] = (unsigned char)(0xF0 | cp >> 18);
    out[1] = (unsigned char)(0x80 | (cp >> 12 & 0x3F));
    out[2] = (unsigned char)(0x80 | (cp >> 6 & 0x3F));
    out[3] = (unsigned char)(0x80 | (cp & 0x3F));
    return 4;
}

/* iconv's contract: stops at the first refused sequence (EILSEQ), at a pair
 * cut short by the end of the input (EINVAL) or when the output is full
 * (E2BIG), with both buffers advanced past what was converted. */
static size_t TableToUtf8(const struct code_table *t, const char **inbuf, size_t *inbytesleft, char **outbuf,
                          size_t *outbytesleft)
{
    if (inbuf == NULL || *inbuf == NULL) return 0;
    while (*inbytesleft > 0) {
        const unsigned char *in = (const unsigned char *)*inbuf;
        uint32_t cp = 0;
        size_t used = 1;
        if (t->kind[in[0]] == 2) {
            cp = t->single[in[0]];
        } else if (t->kind[in[0]] == 1 && *inbytesleft < 2) {
            errno = EINVAL;
            return (size_t)-1;
        } else if (t->kind[in[0]] == 1 && (cp = t->pair[in[0] - 0x80][in[1]]) != 0) {
            used = 2;
        } else {
            errno = EILSEQ;
            return (size_t)-1;
        }
        unsigned char utf8[4];
        size_t len = Utf8Encode(cp, utf8);
        if (len > *outbytesleft) {
            errno = E2BIG;
            return (size_t)-1;
        }
        memcpy(*outbuf, utf8, len);
        *outbuf += len;
        *outbytesleft -= len;
        *inbuf += used;
        *inbytesleft -= used;
    }
    return 0;
}
#endif

#define SHIM_API __attribute__((visibility("default")))

struct shim_cd {
    iconv_t cd;
    int fromUtf8;
#ifdef QZ_ICONV_TABLES
    const struct code_table *table; /* decoding from a table instead of cd */
#endif
};

/* The C library loads and unloads its converter modules inside iconv_open and
 * iconv_close under a loader lock the thread sanitizer cannot see; this lock
 * makes the same ordering visible to it. */
static pthread_mutex_t g_moduleLock = PTHREAD_MUTEX_INITIALIZER;

/* Length of the longest well-formed UTF-8 prefix; *incomplete is set when the
 * rest is a sequence cut short by the end of the input. */
static size_t Utf8ValidPrefix(const unsigned char *s, size_t n, int *incomplete)
{
    size_t i = 0;
    *incomplete = 0;
    while (i < n) {
        unsigned char c = s[i], lo = 0x80, hi = 0xBF;
        size_t len;
        if (c < 0x80) {
            i++;
            continue;
        }
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            lo = c == 0xE0 ? 0xA0 : 0x80; /* no overlong forms */
            hi = c == 0xED ? 0x9F : 0xBF; /* no surrogates */
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            lo = c == 0xF0 ? 0x90 : 0x80;
            hi = c == 0xF4 ? 0x8F : 0xBF; /* nothing above U+10FFFF */
        } else {
            return i;
        }
        for (size_t k = 1; k < len; k++) {
            if (i + k >= n) {
                *incomplete = 1;
                return i;
            }
            unsigned char t = s[i + k];
            if (t < (k == 1 ? lo : 0x80) || t > (k == 1 ? hi : 0xBF)) return i;
        }
        i += len;
    }
    return i;
}

SHIM_API void *libiconv_open(const char *tocode, const char *fromcode)
{
    struct shim_cd *h = malloc(sizeof(*h));
    if (h == NULL) return (void *)-1;
    pthread_mutex_lock(&g_moduleLock);
    h->cd = iconv_open(tocode, fromcode);
    pthread_mutex_unlock(&g_moduleLock);
#ifdef QZ_ICONV_TABLES
    h->table = h->cd == (iconv_t)-1 && errno == EINVAL ? FindTable(tocode, fromcode) : NULL;
    if (h->table != NULL) {
        h->fromUtf8 = 0;
        return h;
    }
#endif
    if (h->cd == (iconv_t)-1) {
        free(h);
        return (void *)-1;
    }
    h->fromUtf8 = strcasecmp(fromcode, "UTF-8") == 0 || strcasecmp(fromcode, "UTF8") == 0;
    return h;
}

SHIM_API size_t libiconv(void *cd, const char **inbuf, size_t *inbytesleft, char **outbuf, size_t *outbytesleft)
{
    struct shim_cd *h = cd;
#ifdef QZ_ICONV_TABLES
    if (h->table != NULL) return TableToUtf8(h->table, inbuf, inbytesleft, outbuf, outbytesleft);
#endif
    if (!h->fromUtf8 || inbuf == NULL || *inbuf == NULL) {
        return iconv(h->cd, (char **)inbuf, inbytesleft, outbuf, outbytesleft);
    }
    int incomplete;
    size_t valid = Utf8ValidPrefix((const unsigned char *)*inbuf, *inbytesleft, &incomplete);
    size_t rest = *inbytesleft - valid;
    size_t left = valid;
    size_t ret = iconv(h->cd, (char **)inbuf, &left, outbuf, outbytesleft);
    *inbytesleft = left + rest;
    if (ret == (size_t)-1 || rest == 0) return ret;
    errno = incomplete ? EINVAL : EILSEQ;
    return (size_t)-1;
}

SHIM_API int libiconv_close(void *cd)
{
    struct shim_cd *h = cd;
#ifdef QZ_ICONV_TABLES
    if (h->table != NULL) {
        free(h);
        return 0;
    }
#endif
    pthread_mutex_lock(&g_moduleLock);
    int ret = iconv_close(h->cd);
    pthread_mutex_unlock(&g_moduleLock);
    free(h);
    return ret;
}
