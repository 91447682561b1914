// Fault sweeps: every public operation that allocates or calls the platform is
// run once cleanly to learn its allocations and platform calls, then again
// with each allocation and each call failing in turn. What a caller can rely
// on is checked, not the path a failure takes: the answer is success or one
// of the documented codes, a failure leaves a last word (one, unless callers
// report it again), nothing leaks, and the next clean run behaves as the first.
#include <filesystem>
#include <map>
#include <set>

#include "feature/wlan_feature_internal.h"
#include "qz_air_test.h"
#include "qz_platform.h"
#include "qz_sim_util.h"
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
    "WIFI_GetHideMacStatus",  "QZ_TOLP_CheckIsEquipMode",    "QZ_OS_GetFileSize",
    "QZ_OS_GetHostByName4"};  // 0: the host does not resolve; anything else: its address

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
    {"WLAN_CMD_ApDebug", "a sibling's handler: its failure gets the usage line"},
    {"WLAN_CLI_InstallScene", "a sibling's handler: its failure gets the usage line"},
    {"WLAN_CLI_WifiCmdMsgProc", "a forwarded message: the result is not examined"},
    {"SCN_DisplayScnOnlineStaInfo", "a display: its result is ignored"},
    {"SCN_DisplayCandidateApInst", "a display: its result is ignored"},
    {"SCN_DisplayRoamLog", "a display: its result is ignored"},
    {"SCN_ManualTriggerRoam", "non-zero: not this sub-handler's words, the next one is tried"},
    {"SCN_SetRoamRestPktThresh", "non-zero: not this sub-handler's words, the next one is tried"},
    {"SCN_ProcDfxLogByCmd", "non-zero: not this sub-handler's words, the next one is tried"},
    {"QZ_OS_StrToUInt32", "a word that is not a number sends the value 0"},
    {"EventCenter_GlobalInvokeEvent2", "the reserved event is raised without looking at the result"},
    {"QZ_PROC_DBG_Log_RecordEx", "the operation log's answer is not examined"},
    {"UTIL_MacStrToHex", "a BSSID that cannot be converted matches no other"},
    {"QZ_TIMER_GetConfigDSTTime", "time queries are not examined: the time text stays empty"},
    {"QZ_TIMER_TimeToDSTStr", "time queries are not examined: the time text stays empty"},
    {"QZ_WLAN_InitMsgBlock", "the prepared block is used whatever the answer"},
};

// A failure is reported once, where it is detected. In these operations the
// callers report it again on its way up (the air cycle's steps, the hidden-node
// check's maps, the station refresh, a refused registration, the start-ups), so
// a failure leaves at least one last word.
const std::set<std::string> kReportedOnTheWayUp = {"AirCycle",         "AirCyclePacking",  "HiddenNodeCheck",
                                                   "CheckNodeCommand", "StationListing",   "WlAssocList",
                                                   "WlRssi",           "InitAirInterface", "InitShell"};

// The answers a caller may get: success, the general failure, the library's
// own codes, or the code of the call that failed, passed on unchanged.
bool Documented(uint32_t ret, long long injected)
{
    static const std::set<uint32_t> kOwn = {0, 1, 0xFE600001u, 0xF7603002u, 0xF7603003u, 0xF7603004u};
    return kOwn.count(ret) != 0 || ret == static_cast<uint32_t>(injected);
}

// A failure that is not reported: "alloc#k", "call" (every occurrence) or
// "call#k" (the kth), and why. A count of 1 marks a call that this operation
// does report although it is silent elsewhere.
struct Words {
    const char *fault;
    int count;
    const char *reason;
};

struct Row {
    const char *name;
    uint32_t (*run)();  // the operation
    std::vector<Words> words = {};
    std::string (*observe)() = nullptr;  // what else it leaves behind (faults off)
    void (*setup)() = nullptr;           // a representative state, after the common start
    int settle = 0;                      // clean runs after a fault before the state is compared
    uint32_t (*settleWith)() = nullptr;  // what those runs do, when not the operation
    size_t (*kept)() = nullptr;          // blocks the library keeps for good (not a leak)
};

// The row's name in test names and failures, not a dump of its bytes.
void PrintTo(const Row &row, std::ostream *os)
{
    *os << row.name;
}

struct Outcome {
    uint32_t ret = 0;
    std::string console;
    std::string state;
    bool operator==(const Outcome &) const = default;
};

std::ostream &operator<<(std::ostream &os, const Outcome &o)
{
    return os << "ret " << o.ret << "\n--- console\n" << o.console << "\n--- state\n" << o.state;
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

// Writers and small utilities: their result lands in this buffer or a file.
char g_text[64];

std::string Text()
{
    return std::string(g_text, strnlen(g_text, sizeof(g_text)));
}

class FaultSweep : public airtest::AirTest, public ::testing::WithParamInterface<Row> {
  public:
    using AirTest::ForgetState;

  protected:
    void TearDown() override
    {
        qztest::FreeCommandTable();
        AirTest::TearDown();
    }

    // The gateway as the host starts it, with the row's state on top.
    void Fresh()
    {
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
        memset(g_text, 0x5A, sizeof(g_text));  // output left unterminated shows
        if (GetParam().setup != nullptr) GetParam().setup();
        qzsim::ClearRecords();
        (void)qzsim::TakeConsole();
    }

    static Outcome Run() { return Outcome{GetParam().run(), qzsim::TakeConsole(), ""}; }

    // What the run left behind, read with faults off.
    static Outcome Observe(Outcome o)
    {
        if (GetParam().observe != nullptr) o.state = GetParam().observe();
        (void)qzsim::TakeConsole();
        return o;
    }

    // The clean run that follows a fault: after the row's settling runs it
    // must match the reference.
    static Outcome Rerun()
    {
        const Row &row = GetParam();
        for (int i = 0; i < row.settle; i++) (void)(row.settleWith != nullptr ? row.settleWith() : row.run());
        (void)qzsim::TakeConsole();
        return Observe(Run());
    }

    static size_t Kept() { return GetParam().kept != nullptr ? GetParam().kept() : 0; }

    static int Declared(const std::string &fault, const std::string &call, int otherwise)
    {
        for (const Words &w : GetParam().words) {
            if (fault == w.fault || call == w.fault) return w.count;
        }
        return otherwise;
    }

    // One faulted run, armed by inject, then the checks.
    void Sweep(const std::string &fault, const std::string &call, long long code, const Outcome &reference,
               const std::function<void()> &inject)
    {
        SCOPED_TRACE(fault);
        Fresh();
        size_t blocks = qzsim::LiveBlocks() - Kept();
        size_t lists = qzsim::XmlDbLiveLists();
        inject();
        Outcome faulted = Run();
        qzsim::ClearFaults();
        (void)Observe(faulted);  // the caller's own clean-up (releasing a list it was handed) comes first
        EXPECT_EQ(qzsim::LiveBlocks() - Kept(), blocks) << "leak";
        EXPECT_EQ(qzsim::XmlDbLiveLists(), lists) << "database list leak";
        EXPECT_TRUE(Documented(faulted.ret, code)) << "answer " << faulted.ret;
        int words = static_cast<int>(qzsim::LastWords().size());
        if (Declared(fault, call, kSilentCalls.count(call) != 0 ? 0 : 1) == 0) {
            EXPECT_EQ(words, base_) << "an unexamined answer is not reported\n" << Describe(qzsim::LastWords());
        } else if (kReportedOnTheWayUp.count(GetParam().name) != 0) {
            EXPECT_GE(words, 1) << "a failure without a last word";
        } else {
            EXPECT_EQ(words, base_ + 1) << Describe(qzsim::LastWords());
        }
        EXPECT_EQ(Rerun(), reference) << "state after the failure";
        faults_++;
    }

    int base_ = 0;
    int faults_ = 0;
};

// ---- Operations -------------------------------------------------------------

// Operations that answer nothing count as succeeding.
#define DO(expr) [] { return (void)(expr), 0u; }
#define CMD(text) DO(qztest::RunLine(text))

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

std::string RecordFile()
{
    return qztest::ReadFile(qzsim::MapPath(WLAN_AIR_RECORD_FILE));
}

// The table and the lines the last cycle wrote (the newest lines of the file).
std::string UserTable()
{
    std::string out;
    size_t anchors = 0;
    for (const auto &u : g_pstAirUserTable->users) {
        if (u.isOnline) out += std::string(u.userMac) + (u.isAnchor ? " anchor\n" : "\n");
        anchors += u.isOnline && u.isAnchor;
    }
    std::string file = RecordFile();
    size_t pos = file.size();
    for (size_t i = 0; i <= anchors && pos != std::string::npos && pos > 0; i++) pos = file.rfind("\r\n", pos - 1);
    return out + (pos == std::string::npos ? file : file.substr(pos));
}

std::string PackedFile()
{
    bool archived = std::filesystem::exists(qzsim::MapPath(WLAN_AIR_ARCHIVE_FILE));
    return UserTable() + "archive " + (archived ? "yes\n" : "no\n") + RecordFile();
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

// The database lists are built, read back and released as a caller does.
uint32_t g_keyValues[] = {7, 8, 9};
char g_paraText[] = "guest";
uint32_t g_handle;
uint32_t g_buildRet;

uint32_t BuildKeys()
{
    WLAN_DB_KEY_S keys[] = {{11, g_keyValues[0]}, {12, g_keyValues[1]}, {13, g_keyValues[2]}};
    return g_buildRet = WLAN_DB_AllocAppendKeyList(&g_handle, keys, 3);
}

uint32_t BuildParas()
{
    WLAN_DB_PARA_S paras[] = {{21, &g_keyValues[0], WLAN_DB_TYPE_UINT32}, {22, g_paraText, WLAN_DB_TYPE_STRING}};
    return g_buildRet = WLAN_DB_AllocAppendParaList(&g_handle, paras, 2);
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

// The newest line of the roam log (the file grows by one line a run).
std::string LastRoamLine()
{
    std::string file = qztest::ReadFile(qzsim::MapPath("/proc/wifilog/debug/2G"));
    size_t end = file.rfind('\n');
    size_t start = end == std::string::npos || end == 0 ? std::string::npos : file.rfind('\n', end - 1);
    return start == std::string::npos ? file : file.substr(start + 1);
}

// A member added to an object and read back into g_text.
uint32_t JsonItems()
{
    void *obj = qzsim::JsonNew({{"ssid", "Home"}});
    WLAN_JSON_ITEM add = {"key", const_cast<char *>("value"), WLAN_JSON_TYPE_STRING, 0};
    WLAN_JSON_ITEM get = {"ssid", g_text, WLAN_JSON_TYPE_STRING, sizeof(g_text)};
    uint32_t ret = WLAN_AddJsonItem(&add, obj);
    if (ret == 0) ret = WLAN_GetJsonItem(obj, &get);
    qzsim::JsonFree(obj);
    return ret;
}

// A text parameter that the delivered value changes, stored in g_text.
const WLAN_DB_PARA_DESC_S *DbTable()
{
    static uint32_t oldNumber = 1;
    static uint8_t changed = 0;
    static WLAN_DB_PARA_DESC_S table[2] = {{0x300, 1, 0, &oldNumber, &changed, nullptr, 0},
                                           {0x301, 6, 0, "old", &changed, g_text, sizeof(g_text)}};
    return table;
}

// ---- The table ----------------------------------------------------------------

// A dropped station needs this many clean cycles to be an anchor again.
constexpr int kSettle = static_cast<int>(WLAN_AIR_ANCHOR_CYCLES) + 1;
const Words kCountsUnchecked = {"QZ_WLAN_GetIfAssociatedNum", 0, "the refresh does not examine station counts"};
const std::vector<Words> kNodeWords = {{"memcpy_s", 0, "a BSSID that cannot be copied matches no other"}};

const Row kRows[] = {
    {"Help", CMD("?")},
    {"ShowLog", CMD("show log")},
    {"ClearLog", CMD("clear log")},
    {"DebugAp", CMD("debug ap on")},
    {"ScnShowSta", CMD("debug scn show sta")},
    {"ScnShowAp", CMD("debug scn show ap")},
    {"ScnShowLog", CMD("debug scn show log")},
    {"ScnShowFriends", CMD("debug scn show friend_sta")},
    {"ScnRoam", CMD("debug scn roam a0:b1:c2:d3:e4:f5 2")},
    {"ScnThresh", CMD("debug scn thresh 100")},
    {"ScnDfx", CMD("debug scn dfx on")},
    {"ScnAddFriend", CMD("debug scn addFriend 3 a0:b1:c2:d3:e4:f5")},
    {"DebugRoam", CMD("debug roam 11k disable")},
    {"DebugRsvd", CMD("debug rsvd 1")},
    {"DebugTrig", CMD("debug trig")},
    {"RelationNeighbor", CMD("show relation neighbor")},
    {"Scen", CMD("scen get")},
    {"CheckNodeCommand", CMD("check node"), kNodeWords},
    {"ShowXlinkErrLog", CMD("show xlinkerrlog")},
    {"ClearXlinkErrLog", CMD("clear xlinkerrlog")},
    {"ShowApLedLog", CMD("show apledlog")},
    {"ClearApLedLog", CMD("clear apledlog")},
    {"ShowTopo", CMD("show topo")},
    {"ShowVitransLog", CMD("show vitranslog")},
    {"MasterShow", CMD("master show")},
    {"WlAssocList", CMD("-i wl0 assoclist"), {kCountsUnchecked}},
    {"WlRssi",
     CMD("-i wl1 rssi A0:B1:C2:D3:E4:F5"),
     {{"clean", 1, "the assoclist sub-handler refuses four words first"}, kCountsUnchecked}},
    {"WifiCmdMessage",
     [] {
         return WLAN_CliMsgProc(qztest::MakeCliMsg(WLAN_CLI_MSG_TYPE_WIFICMD, {"show", "status"}).data(), 0, 0, 0);
     }},
    {"AirCycle", DO(qzsim::RunTimerCycles(1)), {}, UserTable, Anchors, kSettle},
    // The record file is full: this cycle packs it before writing.
    {"AirCyclePacking",
     DO((wlan_air::lineNum = WLAN_AIR_FILE_LINES, qzsim::RunTimerCycles(1))),
     {},
     PackedFile,
     Anchors,
     kSettle,
     DO(qzsim::RunTimerCycles(1))},
    {"HiddenNodeCheck", [] { return WLAN_CMD_WifiCheckHiddenNode(0, nullptr); }, kNodeWords},
    {"StationRefresh", Refresh, {kCountsUnchecked}, StationList},
    {"StationListing", WLAN_CMD_AssociListPrintProc, {}, nullptr, [] { ASSERT_EQ(Refresh(), 0u); }},
    {.name = "DbKeyList", .run = BuildKeys, .observe = Built},
    {.name = "DbParaList", .run = BuildParas, .observe = Built},
    // GBK text: the UTF-8 attempt fails and the next source takes over.
    {"Transcoding", [] { return WLAN_ForceToEncodeUtf8("Wi-Fi \xC4\xE3\xBA\xC3", g_text, 32); }, {}, Text},
    {.name = "RoamLine",
     .run = DO(WLAN_RecordRoamLog("a0:b1:c2:d3:e4:f5", 1, 1, "to ap %u", 2u)),
     .words = {{"QZ_TIMER_GetConfigDSTTime", 1, "the roam time stamp reports a missing local time"},
               {"QZ_OS_GetLocalTimeVal", 0, "only the milliseconds come from it: not examined"},
               {"WIFI_LOG_WriteFile", 0, "the Wi-Fi log's answer is not examined"}},
     .observe = LastRoamLine},
    {"TopoLine",
     DO(WLAN_TOPO_DebugLog("station %s joined ssid %u", "a0:b1:c2:d3:e4:f5", 1u)),
     {{"vsnprintf_s", 0, "a message that cannot be formatted is dropped without a trace"},
      {"QZ_OS_Fopen", 0, "a file that does not open drops the line without a trace"},
      {"QZ_OS_Fputs", 0, "the write's answer is not examined"},
      {"QZ_OS_MutexInit", 0, "the lock is made once per process: only the first clean run asks"}}},
    {"CatFile",
     [] { return WLAN_CatFile("first line\nsecond line\n", "/tmp/qz_fault_cat", 23); },
     {{"SSP_ExecShellCmd", 0, "the shell's answer is not examined"},
      {"QZ_OS_Remove", 0, "removing the temporary file is not examined"}}},
    {"Password",
     [] { return WLAN_GenerateRandPwd(12, g_text, sizeof(g_text)); },
     {{"OS_GetRandomEx", 0, "a random word that fails stays 0"}},
     [] { return std::to_string(Text().size()); }},
    {"JsonItems", JsonItems, {}, Text},
    {.name = "DbValueByCmo", .run = DO(WLAN_DB_GetParaByCmo(0x301, "delivered", DbTable(), 2)), .observe = Text},
    {"UrlHostLookup", [] { return WLAN_IsUrlInvalid("http://192.168.1.1:8080/index.html"); }},
    {.name = "Br0Address", .run = [] { return WLAN_GetBr0IP(g_text, sizeof(g_text)); }, .observe = Text},
    {.name = "IfMac", .run = [] { return WLAN_GetIfMacStr("br0", g_text, sizeof(g_text)); }, .observe = Text},
    {"LocalTime",
     [] { return WLAN_GetTime(g_text, sizeof(g_text)); },
     {{"QZ_OS_GetLocalTime", 0, "the local time is not examined"}},
     Text},
    // Start-up: made again from nothing each run; what it keeps lives until
    // the process ends.
    {.name = "InitAirInterface",
     .run = [] { return FaultSweep::ForgetState(), WLAN_InitAirInterface(); },
     .kept = []() -> size_t { return (g_pstAirUserTable != nullptr) + (g_pstAirUserSample != nullptr); }},
    {.name = "InitLog",
     .run = WLAN_CMD_LogInit,
     .words = {{"QZ_OS_MutexInit", 0, "the lock's init is not examined: the answer is the last clear's"}},
     .observe = [] { return qztest::RunLine("show log"); }},
    {.name = "InitFeatures",
     .run = [] { return WLAN_FT_ResetCaches(), WLAN_FT_Init(); },
     .words = {{"EventCenter_SubscribeEvent", 0, "the event centre's answer goes to the host unchanged"}},
     .observe = [] { return std::to_string(WLAN_FT_QZ_FEATURE_ZQ(0)); }},
    {.name = "InitShell",
     .run = [] { return qztest::FreeCommandTable(), WLAN_DBG_CmdInit(); },
     .observe = [] { return qztest::RunLine("?"); },
     .kept = []() -> size_t { return g_stCmdTable.entries != nullptr; }},
};

// ---- The sweep ------------------------------------------------------------------

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
    base_ = Declared("clean", "clean", 0);
    EXPECT_EQ(static_cast<int>(qzsim::LastWords().size()), base_) << Describe(qzsim::LastWords());
    Outcome reference = Rerun();
    if (GetParam().settle == 0) {
        EXPECT_EQ(reference, first) << "a second clean run differs";
    }

    for (size_t k = 1; k <= n; k++) {
        Sweep("alloc#" + std::to_string(k), "alloc", 1, reference, [k] { qzsim::FailAlloc(static_cast<int>(k)); });
    }
    std::map<std::string, int> seen;
    for (const std::string &call : calls) {
        int skip = seen[call]++;
        if (kValueCalls.count(call) != 0) continue;
        Sweep(call + "#" + std::to_string(skip + 1), call, FailureCode(call), reference,
              [&call, skip] { qzsim::FailCall(call, FailureCode(call), skip, 1); });
    }
    std::cout << GetParam().name << ": " << n << " allocations, " << calls.size() << " calls, " << faults_
              << " faults injected\n";
}

INSTANTIATE_TEST_SUITE_P(Operations, FaultSweep, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row> &info) { return std::string(info.param.name); });

}  // namespace
