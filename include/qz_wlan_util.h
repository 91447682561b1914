/*
 * libqz_wlan_base: utilities for the whole WLAN service.
 *
 * URL parsing, random passwords and character sets, text/file/JSON helpers,
 * forced UTF-8 transcoding, hex and number transforms, masked MAC formats and
 * small device queries. None keeps state; all are reentrant except
 * WLAN_CatFile with a shared path and WLAN_GetUserInfo on a shared URL.
 *
 * Sizes are destination sizes in bytes. A result that does not fit its
 * destination fails (the bounded copy's code is returned) instead of being
 * cut short. Failures are reported once by the platform's last-word trace.
 */
#ifndef QZ_WLAN_UTIL_H
#define QZ_WLAN_UTIL_H

#include "qz_wlan_common.h"

QZ_WLAN_EXTERN_C_BEGIN

/* The library's code for a missing argument. */
#define WLAN_ERR_NULL_ARG 0xFE600001u
/* WLAN_CatFile: the temporary file cannot be opened. */
#define WLAN_ERR_FILE_OPEN 0xF7603003u

/* ---- URLs: scheme://[user:password@]host[:port]/path ------------------------
 * The URL must be present. Missing delimiters answer 1; a part that does not
 * fit its destination answers the bounded copy's code. The port defaults to
 * "80" for every scheme. */

QZ_WLAN_API uint32_t WLAN_GetProtocolType(const char *url, char *dst, uint32_t size);
/* 1 when the URL holds an at sign. */
QZ_WLAN_API uint32_t WLAN_IsIncludeUserInfo(const char *url);
/* Start of the host part inside the URL, or NULL. */
QZ_WLAN_API char *WLAN_BASE_GetHeadStrChr(const char *url);
QZ_WLAN_API uint32_t WLAN_GetDomain(const char *url, char *dst, uint32_t size);
QZ_WLAN_API uint32_t WLAN_GetPort(const char *url, char *dst, uint32_t size);
QZ_WLAN_API uint32_t WLAN_GetRemotePath(const char *url, char *dst, uint32_t size);
/* Copies user and password out and wipes the password inside the URL, which
 * then ends where the password began. */
QZ_WLAN_API uint32_t WLAN_GetUserInfo(char *url, char *user, uint32_t userSize, char *password, uint32_t passwordSize);
/* 1 when the name ends in ".zip" (lower case). */
QZ_WLAN_API uint32_t WLAN_EndWithZip(const char *name);
/* 1 when the host does not resolve to an IPv4 address. */
QZ_WLAN_API uint32_t WLAN_IsIpInvalid(const char *host);
/* 1 when the URL's host does not resolve to an IPv4 address. */
QZ_WLAN_API uint32_t WLAN_IsUrlInvalid(const char *url);

/* ---- Passwords and character sets ------------------------------------------ */

/* A password of len (at least 8) characters from digits, letters and
 * "~!@#$^&*()", every class at least twice, NUL-terminated; size > len.
 * 0 done, 1 refused. */
QZ_WLAN_API uint32_t WLAN_GenerateRandPwd(uint32_t len, char *dst, uint32_t size);
/* XORs the data with the key's bytes (least significant first); applying it
 * twice restores the data. A key of 0 is refused. */
QZ_WLAN_API void WLAN_DisturbData(uint32_t key, void *data, uint32_t len);
/* 1 when ch is in the set, sorted in ascending unsigned byte order. */
QZ_WLAN_API uint32_t WLAN_BinarySearchChar(uint8_t ch, const char *set, uint32_t len);
/* Appends to dst the non-zero bytes of src[0..count) that are not among
 * filter[0..count). dst is not terminated; the caller clears count bytes. */
QZ_WLAN_API void WLAN_FilterList(const char *src, const char *filter, char *dst, uint32_t count);

/* ---- Text, file and JSON helpers --------------------------------------------- */

/* Offset 0: the base MAC with the locally administered bit set; otherwise the
 * base plus offset in its last bytes. size at least 18. */
QZ_WLAN_API void WLAN_GenerateLocalMac(const char *baseMac, char *dst, uint32_t size, uint32_t offset);
/* Sorts in place, ascending. */
QZ_WLAN_API void QZ_WLAN_SortChannels(uint8_t *channels, uint32_t count);
/* Shows len bytes of data on the console through a temporary file at path,
 * removed afterwards. The path becomes one word of a shell command: a path
 * holding shell syntax (white space, control characters, quotes, \ ; | & $
 * < > ( ) { } * ? [ ] !, a leading ~ or #) is refused with 1 before anything
 * is written. 0, 1, or WLAN_ERR_FILE_OPEN. */
QZ_WLAN_API uint32_t WLAN_CatFile(const char *data, const char *path, uint32_t len);
/* The first character that is not white space. */
QZ_WLAN_API char *QZ_WLAN_StrStrip(char *text);
/* 1 for 0x20 to 0x7F. */
QZ_WLAN_API uint32_t QZ_OS_IsPrintable(char ch);
/* 1 when every character is printable (the empty text too); 0 otherwise or
 * when the text is missing. */
QZ_WLAN_API uint32_t QZ_OS_IsPrintableStr(const char *text);

#define WLAN_JSON_TYPE_INT 0u
#define WLAN_JSON_TYPE_STRING 1u
#define WLAN_JSON_TYPE_OBJECT 3u

/* One value moved between a JSON object and a variable. value: int: an
 * int32_t *; string: the text (add) or destination buffer of size bytes
 * (get); object: the handle (add), or overwritten with the member's handle
 * (get). */
typedef struct {
    const char *pcKey;
    void *pValue;
    uint32_t uiType;
    uint32_t uiSize;
} WLAN_JSON_ITEM;

/* 0 done, 1 refused, or the JSON call's answer. */
QZ_WLAN_API uint32_t WLAN_AddJsonItem(const WLAN_JSON_ITEM *item, void *obj);
QZ_WLAN_API uint32_t WLAN_GetJsonItem(void *obj, WLAN_JSON_ITEM *item);
/* 1 when an argument is missing or size is below 2. */
QZ_WLAN_API uint32_t WLAN_EncodeParaInValid(const char *in, const char *out, uint32_t size);

/* ---- Forced UTF-8 transcoding ------------------------------------------------- */

/* Converts src to UTF-8 into dst (cleared by the caller, which supplies the
 * terminator in the last byte), trying UTF-8, GBK, BIG5 and ISO-8859-1 in
 * turn from wherever the previous one stopped. 0 all converted, 1 otherwise. */
QZ_WLAN_API uint32_t WLAN_ForceToEncodeUtf8(const char *src, char *dst, uint32_t size);

/* ---- Hex and number transforms ------------------------------------------------ */

typedef struct {
    char *pcDst;
    uint32_t uiDstSize;
    const char *pcSrc;
    uint32_t uiReserved;
} WLAN_STR_COPY_ITEM;

typedef struct {
    const char *pcSrc;
    uint32_t *puiValue;
} WLAN_STR_TO_UINT_ITEM;

typedef struct {
    char *pcDst;
    uint32_t uiDstSize;
    uint32_t uiValue;
} WLAN_UINT_TO_STR_ITEM;

typedef struct {
    uint32_t *puiTarget;
    uint32_t uiValue;
    uint8_t ucCopy; /* exactly 1: copy */
} WLAN_UINT_MASK_ITEM;

#define WLAN_DATA_TYPE_UINT32 1u
#define WLAN_DATA_TYPE_UINT32_ALT 2u
#define WLAN_DATA_TYPE_STRING 6u

typedef struct {
    void *pDst;
    uint32_t uiDstSize;
    const void *pSrc;
    uint8_t ucCopy; /* exactly 1: copy */
    uint32_t uiType;
} WLAN_DATA_MASK_ITEM;

typedef struct {
    uint32_t uiKey;
    uint32_t uiValue;
} WLAN_NUM_PAIR;

/* 0 when every character is a hex digit (the empty text too), else 1. */
QZ_WLAN_API uint32_t QZ_WLAN_IsValidHex(const char *text);
/* Decimal text to a number, stored unchecked; 1 when an argument is missing. */
QZ_WLAN_API uint32_t QZ_WLAN_StrToUInt32(const char *text, uint32_t *value);
/* Local time as "YYYY_MM_DD_hh_mm_ss"; always 0. */
QZ_WLAN_API uint32_t WLAN_GetTime(char *dst, uint32_t size);
/* Upper-case hex text of count bytes; dst holds 2 * count + 1 bytes. */
QZ_WLAN_API uint32_t WLAN_HexIntToStr(const uint8_t *bytes, uint32_t count, char *text, uint32_t *textLen);
/* Hex text of min(count, limit) bytes; text holds 2 * limit + 1 bytes. */
QZ_WLAN_API void WLAN_HexToStr(char *text, uint32_t size, const uint8_t *bytes, uint32_t count, uint32_t limit);
/* '0'..'9' and 'A'..'F' become their values in place; others stay. */
QZ_WLAN_API void WLAN_HexToInt(char *ch);
/* len (even, at least 2) hex characters to len / 2 bytes. */
QZ_WLAN_API uint32_t WLAN_HexStrToInt(const char *text, uint32_t len, uint8_t *bytes, uint32_t *count);
/* amount / divisor / 128 (kilobits per unit for a byte amount); 0 for a
 * divisor of 0. */
QZ_WLAN_API uint32_t WLAN_RateCalculator(uint64_t amount, uint32_t divisor);
/* The batch operations stop at the first failure: items before it are done,
 * those after it untouched. */
QZ_WLAN_API uint32_t WLAN_TransformStrData(const WLAN_STR_COPY_ITEM *items, uint32_t count);
QZ_WLAN_API uint32_t WLAN_TransformStrToUint32(const WLAN_STR_TO_UINT_ITEM *items, uint32_t count);
QZ_WLAN_API uint32_t WLAN_TransformUint32ToStr(const WLAN_UINT_TO_STR_ITEM *items, uint32_t count);
QZ_WLAN_API void WLAN_CopyUintByMask(const WLAN_UINT_MASK_ITEM *items, uint32_t count);
QZ_WLAN_API uint32_t WLAN_CopyDataByMask(const WLAN_DATA_MASK_ITEM *items, uint32_t count);
/* The value of the first pair with the key; 1 when none has it. */
QZ_WLAN_API uint32_t WLAN_TransNums(const WLAN_NUM_PAIR *pairs, uint32_t count, uint32_t key, uint32_t *value);

/* ---- MAC formats and device queries ------------------------------------------- */

/* "aa:bb:cc:dd:XX:XX" unless the product shows full MAC addresses. */
QZ_WLAN_API void WLAN_GetMacLogFormat(const char *mac, char *dst, uint32_t size);
/* The same from MAC bytes (count at least 6, size at least 18). */
QZ_WLAN_API void WLAN_GetHexMacLogFormat(const uint8_t *mac, uint32_t count, char *dst, uint32_t size);
/* Replaces the five separators of a 17-character MAC string; 1 for any
 * other length. */
QZ_WLAN_API uint32_t WLAN_MacSplitChange(char *mac, char separator);
QZ_WLAN_API uint32_t WLAN_GetMinNum(uint32_t a, uint32_t b);
/* The interface's MAC string. */
QZ_WLAN_API uint32_t WLAN_GetIfMacStr(const char *ifName, char *dst, uint32_t size);
/* The dotted IPv4 address of br0. */
QZ_WLAN_API uint32_t WLAN_GetBr0IP(char *dst, uint32_t size);
/* 1 when the file can be opened for reading. */
QZ_WLAN_API uint32_t WLAN_IsFileAccess(const char *path);

QZ_WLAN_EXTERN_C_END

#endif /* QZ_WLAN_UTIL_H */
