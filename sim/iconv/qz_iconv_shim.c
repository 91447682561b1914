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
#include <stdlib.h>
#include <strings.h>

#define SHIM_API __attribute__((visibility("default")))

struct shim_cd {
    iconv_t cd;
    int fromUtf8;
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
    pthread_mutex_lock(&g_moduleLock);
    int ret = iconv_close(h->cd);
    pthread_mutex_unlock(&g_moduleLock);
    free(h);
    return ret;
}
