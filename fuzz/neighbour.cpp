// The hidden-node check on neighbour maps made of arbitrary bytes: the input
// is satellite AP 1's map as the smart-home link module hands it over (its
// count, texts without terminators, any channel or mark), the gateway's own
// map and the other APs come from the demo mesh profile. "check node" reads
// no entry past the map or the count it may trust, and leaves no block.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "qz_sim.h"
#include "qz_sim_shell.h"
#include "qz_wlan_log.h"

namespace {

void StartGateway()
{
    static bool started = false;
    if (started) return;
    started = true;
    qzfuzz::SetUpMeshGateway();
    (void)WLAN_CMD_LogInit();
    qzfuzz::DropRecords();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    StartGateway();
    if (size > sizeof(WLAN_NEIGH_MAP_S)) return -1;
    qzsim::SetApNeighborMapBytes(1, std::vector<uint8_t>(data, data + size));
    const size_t blocks = qzsim::LiveBlocks();
    (void)WLAN_CMD_WifiCheckHiddenNode(0, nullptr);
    if (qzsim::LiveBlocks() != blocks) {
        fprintf(stderr, "fuzz_neighbour: %zu platform blocks left\n", qzsim::LiveBlocks() - blocks);
        abort();
    }
    qzfuzz::DropRecords();
    return 0;
}
