// The platform calls that can be made to fail, and the calls a run makes, in
// order: every call's fault check notes its name while recording is on, so a
// test can replay a run and fail each call.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string_view>

#include "sim_internal.h"

namespace qzsim {
namespace {

// Every name a platform call hands to FaultHit, in strcmp order. The host
// refuses to arm any other name, and FaultHit stops the process when a call
// asks about a name missing here, so the list follows the calls.
constexpr std::string_view kFailableCalls[] = {
    "EventCenter_GlobalInvokeEvent2",
    "EventCenter_SubscribeEvent",
    "FBT_SCN_AddStaFriend",
    "JSON_ObjAddKeyValue",
    "JSON_ObjAddKeyValueInt",
    "JSON_ObjAddKeyValueString",
    "JSON_ObjGetValueInt",
    "JSON_ObjGetValueObj",
    "JSON_ObjGetValueString",
    "OS_GetRandomEx",
    "QZ_DM_GetCurUpUserPortID_Ext",
    "QZ_DM_PDGetAttr",
    "QZ_Feature_IsSupportByFeatureName",
    "QZ_MSG_GetCurProcName",
    "QZ_MSG_RpcCall",
    "QZ_OS_CmdFormat",
    "QZ_OS_Creat",
    "QZ_OS_FindSymbol",
    "QZ_OS_Fopen",
    "QZ_OS_Fputs",
    "QZ_OS_GetFileSize",
    "QZ_OS_GetHostByName4",
    "QZ_OS_GetIfIpAndMac",
    "QZ_OS_GetLocalTime",
    "QZ_OS_GetLocalTimeVal",
    "QZ_OS_IpAddrToStr",
    "QZ_OS_LoadLibrary",
    "QZ_OS_MemMallocSet",
    "QZ_OS_MutexInit",
    "QZ_OS_Open",
    "QZ_OS_Remove",
    "QZ_OS_Rename",
    "QZ_OS_StrToUInt32",
    "QZ_OS_Write",
    "QZ_PROC_DBG_Log_RecordEx",
    "QZ_TIMER_CreateRealTimer",
    "QZ_TIMER_GetConfigDSTTime",
    "QZ_TIMER_ReleaseRealTimer",
    "QZ_TIMER_StartRealTimerD",
    "QZ_TIMER_TimeToDSTStr",
    "QZ_TOLP_CheckIsEquipMode",
    "QZ_WIFI_DRV_GetIfIndexByMac",
    "QZ_WLAN_GetCurrentChannel",
    "QZ_WLAN_GetIfAssociatedDevice",
    "QZ_WLAN_GetIfAssociatedNum",
    "QZ_WLAN_GetWlanNum",
    "QZ_WLAN_InitMsgBlock",
    "QZ_WLAN_Spec_GetSsidPerBand",
    "QZ_XML_DBAllocParaList",
    "QZ_XML_DBAppendAllParaToParaList",
    "QZ_XML_DBFreeParaList",
    "Report.RadarTrigger",
    "SCN_DisplayCandidateApInst",
    "SCN_DisplayRoamLog",
    "SCN_DisplayScnOnlineStaInfo",
    "SCN_ManualTriggerRoam",
    "SCN_ProcDfxLogByCmd",
    "SCN_SetRoamRestPktThresh",
    "SSP_ExecShellCmd",
    "UTIL_MacHexToStr",
    "UTIL_MacStrToHex",
    "WIFI_GetHideMacStatus",
    "WIFI_LOG_WriteFile",
    "WIFI_SCN_GetFriendStaAll",
    "WLAN_ADPT_GetIfAssociatedDevice",
    "WLAN_Adpt_GetNeighborhoodAPInfo",
    "WLAN_CLI_InstallScene",
    "WLAN_CLI_WifiCmdMsgProc",
    "WLAN_CMD_ApDebug",
    "WLAN_GetCfgWlanNum",
    "WLAN_GetSsidIndexFor5G",
    "WLAN_GetStaNumMax",
    "WLAN_GetStaStasByMac",
    "WLAN_GetWifiNeighbor_CliNeighNum",
    "WLAN_VAP_GetHexBssid",
    "Zarvo.GetApNeighborMap",
    "Zarvo.GetApSelfBssid",
    "Zarvo.MasterShow",
    "memcpy_s",
    "sprintf_s",
    "sscanf_s",
    "strcat_s",
    "strcpy_s",
    "strncpy_s",
    "vsnprintf_s",
    "vsprintf_s",
};
static_assert(std::is_sorted(std::begin(kFailableCalls), std::end(kFailableCalls)), "kept in strcmp order");

struct CallLog {
    std::mutex mu;
    std::vector<std::string> names;
};

CallLog &L()
{
    static CallLog log;
    return log;
}

// Read by every platform call: one relaxed load while nobody records.
std::atomic<bool> g_recording{false};

void StopRecording()
{
    RecordCalls(false);
}
QZSIM_ON_RESET(StopRecording);

}  // namespace

void RecordCalls(bool on)
{
    std::lock_guard<std::mutex> lock(L().mu);
    if (on) L().names.clear();
    g_recording.store(on, std::memory_order_relaxed);
}

std::vector<std::string> CallsMade()
{
    std::lock_guard<std::mutex> lock(L().mu);
    return L().names;
}

const std::vector<std::string> &FailableCalls()
{
    static const std::vector<std::string> calls(std::begin(kFailableCalls), std::end(kFailableCalls));
    return calls;
}

bool IsFailableCall(std::string_view name)
{
    return std::binary_search(std::begin(kFailableCalls), std::end(kFailableCalls), name);
}

void RequireFailableCall(const char *name)
{
    if (IsFailableCall(name)) return;
    fprintf(stderr, "qzsim: the platform call %s asks about faults but is not in the list of calls that can fail\n",
            name);
    abort();
}

void NoteCall(const char *name)
{
    if (!g_recording.load(std::memory_order_relaxed)) return;
    RequireFailableCall(name);
    std::lock_guard<std::mutex> lock(L().mu);
    L().names.emplace_back(name);
}

}  // namespace qzsim
