// "/lib/libiconv.so" is the conversion library this build makes; a test may
// remove the mapping to see the load fail, and Reset() puts it back.
#include <dlfcn.h>
#include <unistd.h>

#include <string>

#include "sim_internal.h"

namespace {

// The converter sits beside the platform library in a build tree, and in the
// platform library's private folder once installed.
std::string ShimPath()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void *>(&qzsim::MapOverride), &info) == 0 || info.dli_fname == nullptr) {
        return QZ_ICONV_SHIM_NAME;
    }
    std::string dir = info.dli_fname;
    size_t slash = dir.rfind('/');
    dir = slash == std::string::npos ? "." : dir.substr(0, slash);
    std::string beside = dir + "/" QZ_ICONV_SHIM_NAME;
    if (access(beside.c_str(), F_OK) == 0) return beside;
    return dir + "/" QZ_SIM_PRIVATE_LIBDIR "/" QZ_ICONV_SHIM_NAME;
}

void MapIconv()
{
    static const std::string path = ShimPath();
    qzsim::MapOverride("/lib/libiconv.so", path);
}
QZSIM_ON_RESET(MapIconv);

const bool g_iconvMapped = (MapIconv(), true);

}  // namespace
