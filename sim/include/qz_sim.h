// Control API of the simulated gateway platform, for the host program and the
// tests: sandbox root, product profile, fault injection, captured output and
// the platform's services driven by hand (timer cycles, events, clock).
//
// Everything here is thread-safe unless said otherwise.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace qzsim {

// ---- State -----------------------------------------------------------------

// Back to a fresh platform: no faults, no records, empty capture, default
// profile, fresh timers and subscriptions, real clock. Keeps the root.
void Reset();

// ---- Sandbox root ------------------------------------------------------------

// Every absolute path handed to the platform is taken below this directory,
// which is created when missing. false (and a message) when it cannot be used.
bool SetRoot(const std::string &dir, std::string *error);
std::string Root();
// "/var/x" -> "<root>/var/x". Relative paths are returned unchanged.
std::string MapPath(const char *path);
// Maps one absolute path to a real file outside the root (e.g. a library the
// build made). An empty target removes the override.
void MapOverride(const std::string &path, const std::string &target);

// ---- Product profile -----------------------------------------------------------

using json = nlohmann::json;
// Replaces the whole profile. On any error (unknown key, wrong type, value out
// of range) nothing changes and the error names the key.
bool LoadProfileFile(const std::string &file, std::string *error);
bool LoadProfileJson(const json &profile, std::string *error);

// A top-level profile section. parse() validates `value` (null when the key is
// absent: take defaults) and, on success, sets *apply to a function that
// installs the parsed data; it must not change state itself. Sections are
// registered by the platform modules that own them.
using ProfileApply = std::function<void()>;
using ProfileParser = std::function<bool(const json *value, ProfileApply *apply, std::string *error)>;
void RegisterProfileSection(const std::string &key, ProfileParser parser);

// Helpers for section parsers: each reports "<path>: <problem>".
bool CheckKeys(const json &object, const std::vector<std::string> &allowed, const std::string &path,
               std::string *error);
bool ReadInt(const json &object, const std::string &key, long long min, long long max, long long *out,
             const std::string &path, std::string *error);
bool ReadString(const json &object, const std::string &key, std::string *out, const std::string &path,
                std::string *error);
bool ReadBool(const json &object, const std::string &key, bool *out, const std::string &path, std::string *error);

// ---- Fault injection ---------------------------------------------------------

// The platform calls that can be made to fail, by name in strcmp order
// (allocations as "QZ_OS_MemMallocSet", hooks of sibling modules as
// "Zarvo.MasterShow" and the like). Every call that asks FaultHit is listed.
const std::vector<std::string> &FailableCalls();
bool IsFailableCall(std::string_view name);
// The named platform call lets `skip` calls pass, then answers `code` for the
// next `times` calls (times < 0: for ever). What "answers code" means is the
// call's own failure form (null pointer, negative descriptor, the code).
// false, and nothing armed, for a name not in FailableCalls().
bool FailCall(const std::string &name, long long code, int skip = 0, int times = 1);
// The nth allocation from now (1 = the next) fails; 0 cancels.
void FailAlloc(int nth);
void ClearFaults();
// Used by the platform's calls: true (and the code) when a fault fires.
bool FaultHit(const char *name, long long *code);
// Blocks allocated through the platform and not freed yet.
size_t LiveBlocks();
// Allocations made since the last Reset().
size_t AllocCount();
// Recording on: from now every platform call that can be made to fail is
// noted by name, in call order (allocations as "QZ_OS_MemMallocSet"); on
// again starts a fresh list. Reset() turns it off.
void RecordCalls(bool on);
std::vector<std::string> CallsMade();

// ---- Console and records -------------------------------------------------------

// Where the debug console goes for the calling thread (the host points it at
// the client whose command runs). Null: the default sink.
using ConsoleSink = std::function<void(const char *text, size_t len)>;
void SetThreadConsole(const ConsoleSink *sink);
// The default sink: standard output, or (capture on) a buffer read by
// TakeConsole(). Tests turn capture on.
void CaptureConsole(bool on);
std::string TakeConsole();

struct LastWord {
    std::string file;
    uint32_t line;
    uint32_t code;
    uint32_t value1;
    uint32_t value2;
    uint32_t value3;
    uint32_t value4;
};
struct TraceLine {
    uint32_t id;
    std::string file;
    uint32_t line;
    std::string text;
};
struct LogLine {
    uint32_t logClass;  // Wi-Fi log class, or the operation log's kind
    uint32_t module;    // Wi-Fi log module, or the operation log's level
    std::string text;
};
std::vector<LastWord> LastWords();
std::vector<TraceLine> Traces();
std::vector<LogLine> WifiLogLines();
std::vector<LogLine> OperationLog();
void ClearRecords();

// ---- Time ------------------------------------------------------------------------

// Fixes the clock at an epoch time (the local time follows the profile's zone).
// From then on it moves only by AdvanceClock and StepTimerCycles, or when it
// is fixed again (backwards too, as a gateway's clock jumps at NTP sync).
void FixClock(time_t seconds, uint32_t micros);
void UnfixClock();
bool ClockFixed();
// The platform's time: the fixed one, or the real time.
void ClockNow(time_t *seconds, uint32_t *micros);
// Parses "YYYY-MM-DD HH:MM:SS[.uuuuuu]" as a local time of the configured
// zone. false and a message when it is malformed or names no local time (a
// daylight-saving gap).
bool ParseLocalTime(const std::string &text, time_t *seconds, uint32_t *micros, std::string *error);
// "YYYY-MM-DD HH:MM:SS.uuuuuu ZONE" of an epoch time, in the configured zone.
std::string FormatLocalTime(time_t seconds, uint32_t micros);

// ---- Timer service and event centre ------------------------------------------------

// Runs every started timer's callback n times on the calling thread (never
// together with the timer thread).
void RunTimerCycles(int n);
// The real timer thread, one period for every timer. Stop joins it.
void StartTimerThread(unsigned periodMs);
void StopTimerThread();
// The timer period that a fixed clock's cycles follow (default 3000 ms).
void SetTimerPeriod(unsigned periodMs);
// Runs n cycles on the calling thread; with a fixed clock each first moves
// the clock to its due time (a period after the last cycle).
void StepTimerCycles(int n);
// With a fixed clock, moves it forward by micros, running every cycle that
// falls due on the way at its due time. false (nothing done) with a real clock.
bool AdvanceClock(uint64_t micros);
// How many cycles AdvanceClock(micros) would run.
uint64_t CyclesWithin(uint64_t micros);

// Events: delivered on the calling thread (default) or queued to the event
// thread once it runs.
void StartEventThread();
void StopEventThread();
// Waits until the event thread has delivered everything queued so far.
void FlushEvents();

// The feature service's answer for one name (absent names answer 0).
void SetFeature(const std::string &name, int32_t value);
// SetFeature and raise event 4343 with the name, as a product change would.
void ChangeFeature(const std::string &name, int32_t value);
// Runs hook (with the name asked) once, inside the next feature query, after
// its answer is taken and before it is returned: a change made there is one
// the asker has not seen. Cleared by Reset().
void AfterNextFeatureAnswer(std::function<void(const std::string &)> hook);
// How often the feature service was asked about `name` since the last Reset().
size_t FeatureQueries(const std::string &name);

// ---- Configuration database ------------------------------------------------------

// One parameter appended to a list: identifier, type code, value address.
struct XmlDbPara {
    uint32_t id;
    uint32_t type;
    const void *value;
};
// What was appended to a live list; none for an unknown or freed handle. To
// make the nth append fail: FailCall("QZ_XML_DBAppendAllParaToParaList", code, n - 1).
std::optional<std::vector<XmlDbPara>> XmlDbList(uint32_t handle);
// Lists allocated and not freed yet (a leak check).
size_t XmlDbLiveLists();

// ---- Stand-in WLAN service: station changes ---------------------------------------

// What the WLAN service writes when a station changes, through the library the
// host loaded (false, and nothing written, when it is not loaded). mac is the
// 17-character MAC text; SSID indexes count ssidPerBand per band.
// Moved between SSIDs: roam lines "MOVE START" (old band) and "MOVE END" (new
// band) in /proc/wifilog/debug/2G, and one topology debug line.
bool OnStationMoved(const std::string &mac, uint32_t fromSsid, uint32_t toSsid);
// Joined or left an SSID: one topology debug line in /var/zarvo/topodebug.<n>.log.
bool OnStationJoined(const std::string &mac, uint32_t ssid);
bool OnStationLeft(const std::string &mac, uint32_t ssid);
// The SSID a station is associated with; false for an unknown station. For
// callers that need the SSID a station leaves or moves from.
bool StationSsid(const std::string &mac, uint32_t *ssid);

// ---- Associated stations ------------------------------------------------------------

// Stations join, leave and change while the platform runs (the profile's
// "stations" list is the starting set). MACs are compared exactly, so two MAC
// texts that differ in letter case are two stations. false and a message
// naming the problem when the station or a value is refused.
bool AddStation(const std::string &mac, uint32_t ssid, uint64_t bytesPerCycle, std::string *error);
bool RemoveStation(const std::string &mac, std::string *error);
// key: one of the profile's station keys but "mac" (ssid, rssi, txRate, rxRate,
// powerSave, bytesPerCycle, staId, inactive); value as text ("true"/"false"
// for inactive, "none" removes staId).
bool SetStationKey(const std::string &mac, const std::string &key, const std::string &value, std::string *error);
// Sets a station's byte counter (every station's with an empty mac).
bool SetStationCounter(const std::string &mac, uint64_t bytes, std::string *error);
// One line per station in profile order, with its counter.
std::string DescribeStations();
// The stations' MAC texts, in profile order.
std::vector<std::string> StationMacs();
// The product's Wi-Fi interfaces as the driver names them: "wl<radio>" for
// each radio, then "wl<radio>.<k>" for each configured SSID k > 0 of a band.
std::vector<std::string> WifiInterfaceNames();

}  // namespace qzsim
