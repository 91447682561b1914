/*
 * The conversion library the gateway ships as /lib/libiconv.so, reduced to the
 * three entry points the WLAN library looks up, over the C library's iconv
 * (whose converters cover UTF-8, GBK, BIG5 and ISO-8859-1).
 */
#include <iconv.h>
#include <stddef.h>

#define SHIM_API __attribute__((visibility("default")))

SHIM_API void *libiconv_open(const char *tocode, const char *fromcode)
{
    return (void *)iconv_open(tocode, fromcode);
}

SHIM_API size_t libiconv(void *cd, const char **inbuf, size_t *inbytesleft, char **outbuf, size_t *outbytesleft)
{
    return iconv((iconv_t)cd, (char **)inbuf, inbytesleft, outbuf, outbytesleft);
}

SHIM_API int libiconv_close(void *cd)
{
    return iconv_close((iconv_t)cd);
}
