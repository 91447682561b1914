// Forced UTF-8: the text is converted with each source encoding in turn, each
// one continuing where the previous stopped. The converters are the gateway's
// libiconv, loaded for each call and released before it returns.
#define WLAN_UNIT_NAME "wlan_trans_encode"
#include "qz_wlan_util.h"

#include "wlan_internal.h"

namespace {

constexpr char kIconvPath[] = "/lib/libiconv.so";
constexpr int32_t kLoadNow = 2;  // every symbol resolved at load
constexpr char kTarget[] = "UTF-8";
// ISO-8859-1 takes every byte, so the last attempt completes when there is room.
constexpr const char *kSources[] = {"UTF-8", "GBK", "BIG5", "ISO-8859-1"};

using IconvOpenFn = void *(*)(const char *tocode, const char *fromcode);
using IconvFn = size_t (*)(void *cd, const char **in, size_t *inLeft, char **out, size_t *outLeft);
using IconvCloseFn = int (*)(void *cd);

constexpr size_t kFailed = static_cast<size_t>(-1);          // libiconv's failure
constexpr uintptr_t kNoHandle = static_cast<uintptr_t>(-1);  // libiconv_open's refusal

struct Iconv {
    IconvOpenFn open;
    IconvFn convert;
    IconvCloseFn close;
};

// Finds the three functions in order; false at the first one missing.
bool FindIconv(void *library, Iconv *fns)
{
    void *sym = QZ_OS_FindSymbol(library, "libiconv_open");
    if (sym == nullptr) return false;
    fns->open = reinterpret_cast<IconvOpenFn>(sym);
    sym = QZ_OS_FindSymbol(library, "libiconv");
    if (sym == nullptr) return false;
    fns->convert = reinterpret_cast<IconvFn>(sym);
    sym = QZ_OS_FindSymbol(library, "libiconv_close");
    if (sym == nullptr) return false;
    fns->close = reinterpret_cast<IconvCloseFn>(sym);
    return true;
}

}  // namespace

uint32_t WLAN_ForceToEncodeUtf8(const char *src, char *dst, uint32_t size)
{
    if (WLAN_EncodeParaInValid(src, dst, size) != 0) {
        WLAN_LAST_WORD(1, size, 0);
        return 1;
    }
    void *library = QZ_OS_LoadLibrary(kIconvPath, kLoadNow);
    if (library == nullptr) {
        WLAN_LAST_WORD(1, 0, 0);
        return 1;
    }
    Iconv fns{};
    if (!FindIconv(library, &fns)) {
        // Unloading: a failed close leaves nothing to undo.
        (void)QZ_OS_CloseLibrary(library);
        WLAN_LAST_WORD(1, 0, 0);
        return 1;
    }
    // One conversion state for every attempt: a failed attempt leaves its
    // output and its input position to the next encoding.
    const char *in = src;
    size_t inLeft = QZ_OS_StrLen(src);
    char *out = dst;
    size_t outLeft = size - 1;
    for (const char *from : kSources) {
        void *cd = fns.open(kTarget, from);
        if (reinterpret_cast<uintptr_t>(cd) == kNoHandle) continue;
        size_t ret = fns.convert(cd, &in, &inLeft, &out, &outLeft);
        (void)fns.close(cd);
        if (ret != kFailed) {
            // Unloading: a failed close leaves nothing to undo.
            (void)QZ_OS_CloseLibrary(library);
            return 0;
        }
    }
    // Unloading: a failed close leaves nothing to undo.
    (void)QZ_OS_CloseLibrary(library);
    WLAN_LAST_WORD(1, static_cast<uint32_t>(inLeft), size);
    return 1;
}
