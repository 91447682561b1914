// The shell's message entry on arbitrary CLI records: any type, any word count,
// words with or without terminators. The gateway is started as the host does
// (rings, full catalogue, features, air interface) on the demo mesh profile so
// handlers reach the simulated services. The record sits in a heap block of
// exactly its size: a read past it is caught. No platform block may outlive
// the message that allocated it.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "qz_sim.h"
#include "qz_sim_service.h"
#include "qz_wlan_airinterface.h"
#include "qz_wlan_feature.h"
#include "qz_wlan_log.h"
#include "qz_wlan_query.h"
#include "qz_wlan_roam_topo.h"
#include "qz_wlan_shell.h"

namespace {

void StartGateway()
{
    static bool started = false;
    if (started) return;
    started = true;
    qzfuzz::SetUpMeshGateway();
    (void)WLAN_CMD_LogInit();
    (void)WLAN_DBG_CmdInit();
    (void)WLAN_FT_Init();
    (void)WLAN_InitAirInterface();
    WLAN_FITAP_Init(qzsim::ProfileFitApMode());
    WLAN_SetOwnAPInst(qzsim::ProfileOwnApInst());
    qzfuzz::DropRecords();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    StartGateway();
    if (size > WLAN_CLI_MSG_SIZE) return -1;  // the record is all that is read
    // Short inputs are the leading bytes of a zero record.
    auto *msg = static_cast<uint8_t *>(calloc(1, WLAN_CLI_MSG_SIZE));
    if (size > 0) memcpy(msg, data, size);
    const size_t blocks = qzsim::LiveBlocks();
    if (WLAN_CliMsgProc(msg, 0, 0, 0) != 0) __builtin_trap();
    if (qzsim::LiveBlocks() != blocks) {
        fprintf(stderr, "fuzz_cli: %zu platform blocks left by one message\n", qzsim::LiveBlocks() - blocks);
        __builtin_trap();
    }
    free(msg);
    // QZ_FUZZ_ECHO=1 shows what a seed makes the shell print and report.
    static const bool echo = getenv("QZ_FUZZ_ECHO") != nullptr;
    if (echo) {
        fputs(qzsim::TakeConsole().c_str(), stderr);
        for (const auto &lw : qzsim::LastWords())
            fprintf(stderr, "[%s:%u 0x%X %u]\n", lw.file.c_str(), lw.line, lw.code, lw.value1);
    }
    qzfuzz::DropRecords();
    return 0;
}
