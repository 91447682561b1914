// "/lib/libiconv.so" is the conversion library this build makes; a test may
// remove the mapping to see the load fail, and Reset() puts it back.
#include "sim_internal.h"

namespace {

void MapIconv()
{
    qzsim::MapOverride("/lib/libiconv.so", QZ_ICONV_SHIM_PATH);
}
QZSIM_ON_RESET(MapIconv);

const bool g_iconvMapped = (MapIconv(), true);

}  // namespace
