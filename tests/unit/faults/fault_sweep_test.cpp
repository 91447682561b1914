// Fault sweeps: every public operation that allocates or calls the platform is
// run once cleanly to learn its allocations and platform calls, then again
// with each allocation and each call failing in turn. Each failure must be
// survived without a leak, reported by the expected number of last words, and
// leave the state so that the next clean run behaves as the first one did.
#include <filesystem>
#include <map>
#include <set>

#include "feature/wlan_feature_internal.h"
#include "qz_air_test.h"
#include "qz_platform.h"
#include "qz_wlan_feature.h"
#include "qz_wlan_log.h"
#include "qz_wlan_query.h"
#include "qz_wlan_roam_topo.h"
#include "qz_wlan_shell.h"
#include "qz_wlan_util.h"
#include "query/wlan_query_internal.h"

namespace {

constexpr time_t kClock = 1767225600;  // 2026-01-01, a fixed time for stable output
constexpr char kHeavyMac[] = "a0:b1:c2:d3:e4:f6";

// Calls that answer a value rather than a status: an injected answer is just
// another value, which the library cannot tell from a real one.
const std::set<std::string> kValueCalls = {
    "QZ_OS_MemMallocSet",  // swept through FailAlloc
    "QZ_WLAN_GetWlanNum",     "QZ_WLAN_Spec_GetSsidPerBand", "WLAN_GetCfgWlanNum",
    "WLAN_GetSsidIndexFor5G", "WLAN_GetStaNumMax",           "QZ_Feature_IsSupportByFeatureName",
    "WIFI_GetHideMacStatus",  "QZ_TOLP_CheckIsEquipMode",    "QZ_OS_GetFileSize"};

// The failure form of calls whose failure is not the answer 1.
long long FailureCode(const std::string &call)
{
    static const std::map<std::string, long long> kCodes = {
        {"QZ_OS_Open", -1},          {"QZ_OS_Creat", -1}, {"QZ_OS_Write", -1},
        {"QZ_OS_CmdFormat", -1},     {"memcpy_s", 34},    {"strcpy_s", 34},
        {"strncpy_s", 34},           {"strcat_s", 34},    {"sprintf_s", -1},
        {"vsprintf_s", -1},          {"vsnprintf_s", -1}, {"sscanf_s", -1},
        {"FBT_SCN_AddStaFriend", 2},  // 1 is the roaming module's refusal, passed on without a report
    };
    auto it = kCodes.find(call);
    return it == kCodes.end() ? 1 : it->second;
}

// Calls whose failure the library does not report wherever they are made.
const std::map<std::string, const char *> kSilentCalls = {
    {"WLAN_CMD_ApDebug", "a sibling's handler: the dispatcher answers its failure with the usage line"},
    {"WLAN_CLI_InstallScene", "a sibling's handler: the dispatcher answers its failure with the usage line"},
    {"WLAN_CLI_WifiCmdMsgProc", "a forwarded message: the result is not examined"},
    {"SCN_DisplayScnOnlineStaInfo", "a display: its result is ignored"},
    {"SCN_DisplayCandidateApInst", "a display: its result is ignored"},
    {"SCN_DisplayRoamLog", "a display: its result is ignored"},
    {"SCN_ManualTriggerRoam", "non-zero means not this sub-handler's words: the next one is tried"},
    {"SCN_SetRoamRestPktThresh", "non-zero means not this sub-handler's words: the next one is tried"},
    {"SCN_ProcDfxLogByCmd", "non-zero means not this sub-handler's words: the next one is tried"},
    {"QZ_OS_StrToUInt32", "a word that is not a number sends the value 0"},
    {"EventCenter_GlobalInvokeEvent2", "the reserved event is raised without looking at the result"},
    {"QZ_PROC_DBG_Log_RecordEx", "the operation log's answer is not examined"},
    {"UTIL_MacStrToHex", "a BSSID that cannot be converted matches no other"},
    {"QZ_TIMER_GetConfigDSTTime", "time queries are not examined: the time text stays empty"},
    {"QZ_TIMER_TimeToDSTStr", "time queries are not examined: the time text stays empty"},
    {"QZ_WLAN_InitMsgBlock", "the prepared block is used whatever the answer"},
};

// One failure whose last words are not exactly one: "alloc#k", "call" (every
// occurrence), "call#k" (the kth) or "call#j-k" (the jth to the kth), and why.
struct Words {
    const char *fault;
    int count;
    const char *reason;
};

struct Row {
    const char *name;
    void (*setup)();           // a representative state, after the common start
    uint32_t (*run)();         // the operation
    std::string (*observe)();  // what else it leaves behind (faults off); may be null
    int settle;                // clean runs after a fault before the state is compared
    std::vector<Words> words;
    uint32_t (*settleWith)() = nullptr;  // what those runs do, when not the operation
    size_t (*kept)() = nullptr;          // blocks the library keeps for good (not a leak)
};

// ---- Operations -------------------------------------------------------------

uint32_t Line(const char *line)
{
    qztest::RunLine(line);
    return 0;
}

#define CMD(text) [] { return Line(text); }

void NoSetup()
{
}

uint32_t WifiCmdMessage()
{
    auto msg = qztest::MakeCliMsg(WLAN_CLI_MSG_TYPE_WIFICMD, {"show", "status"});
    return WLAN_CliMsgProc(msg.data(), 0, 0, 0);
}

// Two heavy stations become anchors; the light ones stay ordinary users.
void Anchors()
{
    std::string error;
    EXPECT_TRUE(qzsim::AddStation(kHeavyMac, 1, airtest::kAboveThreshold, &error)) << error;
    // Known to the driver, so a record line carries a station identifier.
    EXPECT_TRUE(qzsim::SetStationKey(kHeavyMac, "staId", "7", &error)) << error;
    EXPECT_TRUE(qzsim::SetStationKey("a0:b1:c2:d3:e4:f5", "staId", "5", &error)) << error;
    ASSERT_EQ(WLAN_InitAirInterface(), 0u);
    qzsim::RunTimerCycles(static_cast<int>(WLAN_AIR_ANCHOR_CYCLES) + 2);
}

uint32_t Cycle()
{
    qzsim::RunTimerCycles(1);
    return 0;
}

// The record file is full: this cycle packs it before writing.
uint32_t PackingCycle()
{
    wlan_air::lineNum = WLAN_AIR_FILE_LINES;
    return Cycle();
}

std::string RecordFile()
{
    return qztest::ReadFile(qzsim::MapPath(WLAN_AIR_RECORD_FILE));
}

// The table and the lines the last cycle wrote (the newest lines of the file).
std::string UserTable()
{
    std::string out;
    for (const auto &u : g_pstAirUserTable->users) {
        if (u.isOnline) out += std::string(u.userMac) + (u.isAnchor ? " anchor\n" : "\n");
    }
    std::string file = RecordFile();
    size_t anchors = 0;
    for (const auto &u : g_pstAirUserTable->users) anchors += u.isOnline && u.isAnchor;
    size_t pos = file.size();
    for (size_t i = 0; i <= anchors && pos != std::string::npos && pos > 0; i++) pos = file.rfind("\r\n", pos - 1);
    return out + (pos == std::string::npos ? file : file.substr(pos));
}

std::string PackedFile()
{
    bool archived = std::filesystem::exists(qzsim::MapPath(WLAN_AIR_ARCHIVE_FILE));
    return UserTable() + "archive " + (archived ? "yes\n" : "no\n") + RecordFile();
}

uint32_t CheckNode()
{
    return WLAN_CMD_WifiCheckHiddenNode(0, nullptr);
}

uint32_t Refresh()
{
    return WLAN_CMD_UpdateWlAssociated(0, 16);
}

std::string StationList()
{
    (void)qzsim::TakeConsole();
    EXPECT_EQ(WLAN_CMD_AssociListPrintProc(), 0u);
    return qzsim::TakeConsole();
}

uint32_t ListStations()
{
    return WLAN_CMD_AssociListPrintProc();
}

void Refreshed()
{
    ASSERT_EQ(Refresh(), 0u);
}

// The database lists are built, read back and released as a caller does.
uint32_t g_keyValues[] = {7, 8, 9};
char g_paraText[] = "guest";
uint32_t g_handle;
uint32_t g_buildRet;

uint32_t BuildKeys()
{
    WLAN_DB_KEY_S keys[] = {{11, g_keyValues[0]}, {12, g_keyValues[1]}, {13, g_keyValues[2]}};
    g_buildRet = WLAN_DB_AllocAppendKeyList(&g_handle, keys, 3);
    return g_buildRet;
}

uint32_t BuildParas()
{
    WLAN_DB_PARA_S paras[] = {{21, &g_keyValues[0], WLAN_DB_TYPE_UINT32}, {22, g_paraText, WLAN_DB_TYPE_STRING}};
    g_buildRet = WLAN_DB_AllocAppendParaList(&g_handle, paras, 2);
    return g_buildRet;
}

// What the list holds; the caller releases a list it was handed.
std::string Built()
{
    std::string out;
    if (g_buildRet != 0) return out;
    for (const auto &p : qzsim::XmlDbList(g_handle).value_or(std::vector<qzsim::XmlDbPara>{})) {
        out += std::to_string(p.id) + ":" + std::to_string(p.type) + "\n";
    }
    (void)QZ_XML_DBFreeParaList(g_handle);
    return out;
}

// GBK text: the UTF-8 attempt fails and the next source takes over.
char g_converted[64];

uint32_t Transcode()
{
    memset(g_converted, 0x5A, sizeof(g_converted));
    return WLAN_ForceToEncodeUtf8("Wi-Fi \xC4\xE3\xBA\xC3", g_converted, 32);
}

std::string Converted()
{
    return std::string(g_converted, strnlen(g_converted, sizeof(g_converted)));
}

// Writers and small utilities: their result lands in a buffer or a file.
char g_text[64];

std::string Text()
{
    return std::string(g_text, strnlen(g_text, sizeof(g_text)));
}

uint32_t RoamLine()
{
    WLAN_RecordRoamLog("a0:b1:c2:d3:e4:f5", 1, 1, "to ap %u", 2u);
    return 0;
}

// The newest line of the roam log (the file grows by one line a run).
std::string LastRoamLine()
{
    std::string file = qztest::ReadFile(qzsim::MapPath("/proc/wifilog/debug/2G"));
    size_t end = file.rfind('\n');
    size_t start = end == std::string::npos || end == 0 ? std::string::npos : file.rfind('\n', end - 1);
    return start == std::string::npos ? file : file.substr(start + 1);
}

uint32_t TopoLine()
{
    WLAN_TOPO_DebugLog("station %s joined ssid %u", "a0:b1:c2:d3:e4:f5", 1u);
    return 0;
}

uint32_t CatFile()
{
    return WLAN_CatFile("first line\nsecond line\n", "/tmp/qz_fault_cat", 23);
}

uint32_t Password()
{
    memset(g_text, 0, sizeof(g_text));
    return WLAN_GenerateRandPwd(12, g_text, sizeof(g_text));
}

std::string PasswordShape()
{
    return std::to_string(strnlen(g_text, sizeof(g_text)));
}

uint32_t Br0Address()
{
    memset(g_text, 0, sizeof(g_text));
    return WLAN_GetBr0IP(g_text, sizeof(g_text));
}

uint32_t IfMac()
{
    memset(g_text, 0, sizeof(g_text));
    return WLAN_GetIfMacStr("br0", g_text, sizeof(g_text));
}

uint32_t LocalTime()
{
    memset(g_text, 0, sizeof(g_text));
    return WLAN_GetTime(g_text, sizeof(g_text));
}

// Start-up: made again from nothing each run; what it keeps lives until the
// process ends.
void ForgetAir();

uint32_t InitAir()
{
    ForgetAir();
    return WLAN_InitAirInterface();
}

size_t AirLists()
{
    return (g_pstAirUserTable != nullptr ? 1 : 0) + (g_pstAirUserSample != nullptr ? 1 : 0);
}

uint32_t InitShell()
{
    qztest::FreeCommandTable();
    return WLAN_DBG_CmdInit();
}

size_t CommandTable()
{
    return g_stCmdTable.entries != nullptr ? 1 : 0;
}

std::string HelpListing()
{
    return qztest::RunLine("?");
}

// ---- The table ----------------------------------------------------------------

// A dropped station needs this many clean cycles to be an anchor again.
constexpr int kSettle = static_cast<int>(WLAN_AIR_ANCHOR_CYCLES) + 1;
constexpr char kCountsUnchecked[] = "the refresh does not examine station counts";
constexpr char kRemoveFailed[] = "the command runner and the packer, which goes on";
constexpr char kPackFailed[] = "the command runner, the packer and the write step";
const Words kNeighbourTwice = {"WLAN_Adpt_GetNeighborhoodAPInfo", 2, "the neighbour step and the map builder"};
const Words kStatsTwice = {"WLAN_GetStaStasByMac", 2, "the station reader and the sampler"};
const Words kOpenTwice = {"QZ_OS_Open", 2, "the file opener and the write step"};
const Words kWriteTwice = {"QZ_OS_Write", 2, "the line writer and the write step"};
const Words kTimerTwice = {"QZ_TIMER_CreateRealTimer", 2, "the timer step and the start-up"};
const Words kStartTwice = {"QZ_TIMER_StartRealTimerD", 2, "the timer step and the start-up"};
const Words kLineTwice = {"sprintf_s", 2, "the line writer and the write step"};
const Words kMacTwice = {"strncpy_s", 2, "the station reader and the sampler"};
const Words kBytesCopy = {"memcpy_s", 0, "the counter's 8 bytes into 8: the copy's result is not examined"};
const Words kBssidCopy = {"memcpy_s", 0, "a BSSID that cannot be copied matches no other"};

const Row kRows[] = {
    {"Help", NoSetup, CMD("?"), nullptr, 0, {}},
    {"ShowLog", NoSetup, CMD("show log"), nullptr, 0, {}},
    {"ClearLog", NoSetup, CMD("clear log"), nullptr, 0, {}},
    {"DebugAp", NoSetup, CMD("debug ap on"), nullptr, 0, {}},
    {"ScnShowSta", NoSetup, CMD("debug scn show sta"), nullptr, 0, {}},
    {"ScnShowAp", NoSetup, CMD("debug scn show ap"), nullptr, 0, {}},
    {"ScnShowLog", NoSetup, CMD("debug scn show log"), nullptr, 0, {}},
    {"ScnShowFriends", NoSetup, CMD("debug scn show friend_sta"), nullptr, 0, {}},
    {"ScnRoam", NoSetup, CMD("debug scn roam a0:b1:c2:d3:e4:f5 2"), nullptr, 0, {}},
    {"ScnThresh", NoSetup, CMD("debug scn thresh 100"), nullptr, 0, {}},
    {"ScnDfx", NoSetup, CMD("debug scn dfx on"), nullptr, 0, {}},
    {"ScnAddFriend", NoSetup, CMD("debug scn addFriend 3 a0:b1:c2:d3:e4:f5"), nullptr, 0, {}},
    {"DebugRoam", NoSetup, CMD("debug roam 11k disable"), nullptr, 0, {}},
    {"DebugRsvd", NoSetup, CMD("debug rsvd 1"), nullptr, 0, {}},
    {"DebugTrig", NoSetup, CMD("debug trig"), nullptr, 0, {}},
    {"RelationNeighbor", NoSetup, CMD("show relation neighbor"), nullptr, 0, {}},
    {"Scen", NoSetup, CMD("scen get"), nullptr, 0, {}},
    {"CheckNodeCommand", NoSetup, CMD("check node"), nullptr, 0, {kNeighbourTwice, kBssidCopy}},
    {"ShowXlinkErrLog", NoSetup, CMD("show xlinkerrlog"), nullptr, 0, {}},
    {"ClearXlinkErrLog", NoSetup, CMD("clear xlinkerrlog"), nullptr, 0, {}},
    {"ShowApLedLog", NoSetup, CMD("show apledlog"), nullptr, 0, {}},
    {"ClearApLedLog", NoSetup, CMD("clear apledlog"), nullptr, 0, {}},
    {"ShowTopo", NoSetup, CMD("show topo"), nullptr, 0, {}},
    {"ShowVitransLog", NoSetup, CMD("show vitranslog"), nullptr, 0, {}},
    {"MasterShow", NoSetup, CMD("master show"), nullptr, 0, {}},
    {"WlAssocList",
     NoSetup,
     CMD("-i wl0 assoclist"),
     nullptr,
     0,
     {{"alloc#1", 4, "the refresh and its two callers; then the rssi sub-handler refuses three words"},
      {"QZ_WLAN_GetIfAssociatedNum", 0, kCountsUnchecked}}},
    {"WlRssi",
     NoSetup,
     CMD("-i wl1 rssi A0:B1:C2:D3:E4:F5"),
     nullptr,
     0,
     {{"clean", 1, "the assoclist sub-handler refuses four words first"},
      {"alloc#1", 3, "the refresh, the update and the rssi sub-handler"},
      {"strncpy_s", 0, "a word copy fails in the dispatcher: no handler, so no refusal of four words"},
      {"QZ_WLAN_GetIfAssociatedNum", 0, kCountsUnchecked}}},
    {"WifiCmdMessage", NoSetup, WifiCmdMessage, nullptr, 0, {}},
    {"AirCycle",
     Anchors,
     Cycle,
     UserTable,
     kSettle,
     {kStatsTwice, kOpenTwice, kWriteTwice, kLineTwice, kMacTwice, kBytesCopy}},
    {"AirCyclePacking",
     Anchors,
     PackingCycle,
     PackedFile,
     kSettle,
     {kStatsTwice,
      kOpenTwice,
      kWriteTwice,
      kLineTwice,
      kMacTwice,
      kBytesCopy,
      {"QZ_OS_CmdFormat#1", 2, kRemoveFailed},
      {"SSP_ExecShellCmd#1", 2, kRemoveFailed},
      {"QZ_OS_CmdFormat", 3, kPackFailed},
      {"SSP_ExecShellCmd", 3, kPackFailed}},
     Cycle},
    {"HiddenNodeCheck", NoSetup, CheckNode, nullptr, 0, {kNeighbourTwice, kBssidCopy}},
    {"StationRefresh", NoSetup, Refresh, StationList, 0, {{"QZ_WLAN_GetIfAssociatedNum", 0, kCountsUnchecked}}},
    {"StationListing",
     Refreshed,
     ListStations,
     nullptr,
     0,
     {{"sprintf_s", 2, "a line that cannot be formatted: two traces"}}},
    {"DbKeyList", NoSetup, BuildKeys, Built, 0, {}},
    {"DbParaList", NoSetup, BuildParas, Built, 0, {}},
    {"Transcoding", NoSetup, Transcode, Converted, 0, {}},
    {"RoamLine",
     NoSetup,
     RoamLine,
     LastRoamLine,
     0,
     {{"QZ_TIMER_GetConfigDSTTime", 1, "the roam time stamp reports a missing local time"},
      {"QZ_OS_GetLocalTimeVal", 0, "only the milliseconds come from it: not examined"},
      {"WIFI_LOG_WriteFile", 0, "the Wi-Fi log's answer is not examined"}}},
    {"TopoLine",
     NoSetup,
     TopoLine,
     nullptr,
     0,
     {{"vsnprintf_s", 0, "a message that cannot be formatted is dropped without a trace"},
      {"QZ_OS_Fopen", 0, "a file that does not open drops the line without a trace"},
      {"QZ_OS_Fputs", 0, "the write's answer is not examined"},
      {"QZ_OS_MutexInit", 0, "the lock is made once per process: only the first clean run asks"}}},
    {"CatFile",
     NoSetup,
     CatFile,
     nullptr,
     0,
     {{"SSP_ExecShellCmd", 0, "the shell's answer is not examined"},
      {"QZ_OS_Remove", 0, "removing the temporary file is not examined"}}},
    {"Password", NoSetup, Password, PasswordShape, 0, {{"OS_GetRandomEx", 0, "a random word that fails stays 0"}}},
    {"Br0Address", NoSetup, Br0Address, Text, 0, {}},
    {"IfMac", NoSetup, IfMac, Text, 0, {}},
    {"LocalTime", NoSetup, LocalTime, Text, 0, {{"QZ_OS_GetLocalTime", 0, "the local time is not examined"}}},
    {"InitAirInterface", NoSetup, InitAir, nullptr, 0, {kTimerTwice, kStartTwice}, nullptr, AirLists},
    {"InitShell",
     NoSetup,
     InitShell,
     HelpListing,
     0,
     {
         {"strcpy_s#20-36", 3, "lines 11 to 19: the shell, the group's installer and the catalogue's installer"},
         {"strcpy_s", 2, "a keyword copy: the shell and the installer that asked"},
     },
     nullptr,
     CommandTable},
};

// ---- The sweep ------------------------------------------------------------------

struct Outcome {
    uint32_t ret = 0;
    std::string console;
    std::string state;

    bool operator==(const Outcome &o) const { return ret == o.ret && console == o.console && state == o.state; }
};

void PrintTo(const Row &row, std::ostream *os)
{
    *os << row.name;
}

std::string Describe(const std::vector<qzsim::LastWord> &words)
{
    std::string out;
    for (const auto &w : words) {
        out += w.file + ":" + std::to_string(w.line) + " code " + std::to_string(w.code) + " " +
               std::to_string(w.value1) + " " + std::to_string(w.value2) + "\n";
    }
    return out;
}

std::ostream &operator<<(std::ostream &os, const Outcome &o)
{
    return os << "ret " << o.ret << "\n--- console\n" << o.console << "\n--- state\n" << o.state;
}

class FaultSweep : public airtest::AirTest, public ::testing::WithParamInterface<Row> {
  public:
    static void Forget() { ForgetState(); }

  protected:
    void TearDown() override
    {
        qztest::FreeCommandTable();
        AirTest::TearDown();
    }

    // The gateway as the host starts it, with the row's state on top.
    void Fresh()
    {
        const Row &row = GetParam();
        qztest::FreeCommandTable();
        ForgetState();
        qzsim::Reset();
        qzsim::CaptureConsole(true);
        std::error_code ec;
        std::filesystem::remove(Under(WLAN_AIR_RECORD_FILE), ec);
        std::filesystem::remove(Under(WLAN_AIR_ARCHIVE_FILE), ec);
        std::string error;
        ASSERT_TRUE(qzsim::LoadProfileFile(QZ_SOURCE_DIR "/profiles/mesh-demo.json", &error)) << error;
        qzsim::FixClock(kClock, 0);
        WLAN_FT_ResetCaches();
        WLAN_SPEC_ResetCache();
        WLAN_DM_ResetCaches();
        ASSERT_EQ(WLAN_CMD_LogInit(), 0u);
        ASSERT_EQ(WLAN_DBG_CmdInit(), 0u);
        WLAN_LOG_SaveWlanLog(WLAN_CMD_LOG_TblGet(), "radio %u up", 1u);
        WLAN_LOG_SaveWlanLog(WLAN_CMD_APLEDLOG_TblGet(), "led %s", "blink");
        WLAN_LOG_SaveWlanLog(WLAN_CMD_ZarvoErrLOG_TblGet(), "link %d lost", 3);
        WLAN_LOG_SaveWlanLog(WLAN_CMD_VitransLog_TblGet(), "vitrans %u", 9u);
        row.setup();
        qzsim::ClearRecords();
        (void)qzsim::TakeConsole();
    }

    Outcome Run()
    {
        Outcome o;
        o.ret = GetParam().run();
        o.console = qzsim::TakeConsole();
        return o;
    }

    // The clean run that follows a fault: after the row's settling runs it
    // must match the reference.
    Outcome Observe(Outcome o)
    {
        if (GetParam().observe != nullptr) o.state = GetParam().observe();
        (void)qzsim::TakeConsole();
        return o;
    }

    Outcome Rerun()
    {
        for (int i = 0; i < GetParam().settle; i++) {
            (void)(GetParam().settleWith != nullptr ? GetParam().settleWith() : GetParam().run());
        }
        (void)qzsim::TakeConsole();
        return Observe(Run());
    }

    static size_t Kept() { return GetParam().kept != nullptr ? GetParam().kept() : 0; }

    static int Declared(const std::string &fault, const std::string &call, int otherwise)
    {
        for (const Words &w : GetParam().words) {
            if (fault == w.fault || call == w.fault) return w.count;
            unsigned first = 0, last = 0, k = 0;
            std::string prefix = call + "#";
            if (std::string(w.fault).rfind(prefix, 0) == 0 &&
                sscanf(w.fault + prefix.size(), "%u-%u", &first, &last) == 2 &&
                sscanf(fault.c_str() + prefix.size(), "%u", &k) == 1 && k >= first && k <= last) {
                return w.count;
            }
        }
        return otherwise;
    }

    // On top of the clean run's own last words.
    int ExpectedWords(const std::string &fault, const std::string &call) const
    {
        return base_ + Declared(fault, call, kSilentCalls.count(call) != 0 ? 0 : 1);
    }

    // One faulted run: armed by inject, then the checks.
    void Sweep(const std::string &fault, const std::string &call, const Outcome &reference,
               const std::function<void()> &inject)
    {
        SCOPED_TRACE(fault);
        Fresh();
        size_t blocks = qzsim::LiveBlocks() - Kept();
        size_t lists = qzsim::XmlDbLiveLists();
        inject();
        Outcome faulted = Run();
        qzsim::ClearFaults();
        // The caller's own clean-up (releasing a list it was handed) comes first.
        (void)Observe(faulted);
        EXPECT_EQ(qzsim::LiveBlocks() - Kept(), blocks) << "leak";
        EXPECT_EQ(qzsim::XmlDbLiveLists(), lists) << "database list leak";
        EXPECT_EQ(static_cast<int>(qzsim::LastWords().size()), ExpectedWords(fault, call))
            << Describe(qzsim::LastWords());
        EXPECT_EQ(Rerun(), reference) << "state after the failure";
        faults_++;
    }

    int base_ = 0;
    int faults_ = 0;
};

TEST_P(FaultSweep, EveryFailureIsSurvivedReportedAndForgotten)
{
    // The clean run: its allocations, its calls and its outcome.
    Fresh();
    size_t allocs = qzsim::AllocCount();
    qzsim::RecordCalls(true);
    Outcome first = Run();
    qzsim::RecordCalls(false);
    size_t n = qzsim::AllocCount() - allocs;
    std::vector<std::string> calls = qzsim::CallsMade();
    first = Observe(first);
    base_ = static_cast<int>(qzsim::LastWords().size());
    EXPECT_EQ(base_, Declared("clean", "clean", 0)) << Describe(qzsim::LastWords());
    base_ = Declared("clean", "clean", 0);
    Outcome reference = Rerun();
    if (GetParam().settle == 0) {
        EXPECT_EQ(reference, first) << "a second clean run differs";
    }

    for (size_t k = 1; k <= n; k++) {
        Sweep("alloc#" + std::to_string(k), "alloc", reference, [k] { qzsim::FailAlloc(static_cast<int>(k)); });
    }
    std::map<std::string, int> seen;
    for (const std::string &call : calls) {
        int skip = seen[call]++;
        if (kValueCalls.count(call) != 0) continue;
        Sweep(call + "#" + std::to_string(skip + 1), call, reference,
              [&call, skip] { qzsim::FailCall(call, FailureCode(call), skip, 1); });
    }
    std::cout << GetParam().name << ": " << n << " allocations, " << calls.size() << " calls, " << faults_
              << " faults injected\n";
}

INSTANTIATE_TEST_SUITE_P(Operations, FaultSweep, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row> &info) { return std::string(info.param.name); });

void ForgetAir()
{
    FaultSweep::Forget();
}

}  // namespace
