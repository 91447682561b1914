/*
 * The conversion library the gateway ships as /lib/libiconv.so, reduced to the
 * three entry points the WLAN library looks up, over the C library's iconv
 * (whose converters cover UTF-8, GBK, BIG5 and ISO-8859-1).
 */
#include <iconv.h>
#include <pthread.h>
#include <stddef.h>

#define SHIM_API __attribute__((visibility("default")))

/* The C library loads and unloads its converter modules inside iconv_open and
 * iconv_close under a loader lock the thread sanitizer cannot see; this lock
 * makes the same ordering visible to it. */
static pthread_mutex_t g_moduleLock = PTHREAD_MUTEX_INITIALIZER;

SHIM_API void *libiconv_open(const char *tocode, const char *fromcode)
{
    pthread_mutex_lock(&g_moduleLock);
    iconv_t cd = iconv_open(tocode, fromcode);
    pthread_mutex_unlock(&g_moduleLock);
    return (void *)cd;
}

SHIM_API size_t libiconv(void *cd, const char **inbuf, size_t *inbytesleft, char **outbuf, size_t *outbytesleft)
{
    return iconv((iconv_t)cd, (char **)inbuf, inbytesleft, outbuf, outbytesleft);
}

SHIM_API int libiconv_close(void *cd)
{
    pthread_mutex_lock(&g_moduleLock);
    int ret = iconv_close((iconv_t)cd);
    pthread_mutex_unlock(&g_moduleLock);
    return ret;
}
