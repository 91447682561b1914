// A soak of the served gateway: the library behind the host's own socket
// server and dispatcher, in this process, for SECONDS:
// - client threads send wlancmd lines over the socket (wlancmd's client code);
// - the timer service runs the air-interface sampler while stations join and
//   leave;
// - roam and topology lines are written, through many rotations;
// - writer threads append numbered records to the AP LED ring while clients
//   show it and other rings are shown and cleared.
// Every record carries its writer, a sequence number and a check value.
// After at most 150 appends (fewer than the ring keeps) the writers pause and
// the ring is shown: it must hold, in order, exactly the newest records since
// the last clear that it keeps, every record since the last check among them:
// none lost, changed, repeated, torn or interleaved. At the end every topology file and
// the roam file are read back, and the resident memory and open descriptors
// after warm-up are compared with their values at warm-up.
// Usage: soak_host SECONDS
#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "host.h"
#include "qz_sim.h"
#include "qz_wlan_airinterface.h"
#include "qz_wlan_feature.h"
#include "qz_wlan_log.h"
#include "qz_wlan_roam_topo.h"
#include "qz_wlan_shell.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr unsigned kWriters = 3;
constexpr unsigned kClients = 6;
// The ring's records all have one length, so the ring (10240 bytes, a record
// never written across its end) holds floor(10239 / 54) = 189 of them, always
// at the same offsets.
constexpr size_t kRecordLen = 54;
constexpr size_t kRingSlots = 10239 / kRecordLen;
constexpr size_t kTopoLimit = 131072;
constexpr size_t kTopoLineMax = 255;

std::atomic<bool> g_stop{false};
std::mutex g_failMu;
std::vector<std::string> g_failures;

void Fail(const std::string &what)
{
    std::lock_guard<std::mutex> lock(g_failMu);
    if (g_failures.size() < 20) fprintf(stderr, "soak: %s\n", what.c_str());
    g_failures.push_back(what);
}

uint32_t Check(uint32_t writer, uint32_t n)
{
    uint32_t h = 2166136261u;
    for (uint32_t v : {writer, n}) {
        for (int i = 0; i < 4; i++) h = (h ^ ((v >> (8 * i)) & 0xFF)) * 16777619u;
    }
    return h;
}

std::string Send(const std::string &socket, const std::string &line, int *status)
{
    std::string out, err, error;
    *status = host::SendLine(
        socket, line, [&out](const std::string &t) { out += t; }, [&err](const std::string &t) { err += t; }, &error);
    if (*status != 0) Fail("\"" + line + "\": status " + std::to_string(*status) + " " + err + error);
    return out;
}

// ---- The ring's writers, and the pause that lets the ring be read whole ------

// A pause is numbered: a writer acknowledges pause k only between two
// appends, so once every writer has acknowledged the current one, none is
// inside an append.
// Between two checks the writers together append at most kPerCheck records,
// fewer than the ring keeps, so that every record is seen by a check.
constexpr int kPerCheck = 150;

struct Writers {
    std::atomic<uint32_t> pause{0};  // the pause in force, 0 for none
    std::atomic<uint32_t> acked[kWriters] = {};
    std::atomic<uint32_t> last[kWriters] = {};  // the newest n each has appended (0: none)
    std::atomic<int> tokens{kPerCheck};         // appends left before the next check
};
Writers g_w;

// Waits out a pause, then takes a token; false when the soak stops.
bool MayAppend(uint32_t w)
{
    while (!g_stop.load()) {
        if (uint32_t p = g_w.pause.load(); p != 0) {
            g_w.acked[w].store(p);
        } else if (g_w.tokens.fetch_sub(1) > 0) {
            return true;
        } else {
            g_w.tokens.fetch_add(1);
        }
        std::this_thread::yield();
    }
    return false;
}

void Writer(uint32_t w)
{
    for (uint32_t n = 1; MayAppend(w); n++) {
        WLAN_LOG_SaveWlanLog(WLAN_CMD_APLEDLOG_TblGet(), "w%" PRIu32 " n%010" PRIu32 " x%08" PRIx32, w, n, Check(w, n));
        g_w.last[w].store(n);
    }
}

struct Record {
    uint32_t w, n;
};

// The ring's text as shown, split into its fixed-length records.
bool ParseRing(const std::string &text, std::vector<Record> *records, std::string *why)
{
    if (text.size() % kRecordLen != 0) return *why = "length " + std::to_string(text.size()), false;
    for (size_t pos = 0; pos < text.size(); pos += kRecordLen) {
        const std::string r = text.substr(pos, kRecordLen);
        uint32_t w = 0, n = 0, x = 0;
        char tail = 0;
        if (r.compare(0, 3, "\r\n[") != 0 || r[29] != ']' ||
            sscanf(r.c_str() + 30, "w%" SCNu32 " n%10" SCNu32 " x%8" SCNx32 "%c", &w, &n, &x, &tail) != 3 ||
            w >= kWriters || x != Check(w, n)) {
            return *why = "record " + std::to_string(pos / kRecordLen) + " torn or changed: " + r, false;
        }
        records->push_back({w, n});
    }
    return true;
}

// Writers paused: the ring in lock order is its slots from the write position
// on, then those before it. Each writer's records must be its newest ones, in
// order, without a gap; together as many as the ring keeps.
void CheckQuiescentRing(const std::string &socket, const uint32_t sinceClear[kWriters],
                        const uint32_t checkedUpTo[kWriters])
{
    int status = 0;
    std::string out = Send(socket, "show apledlog", &status);
    const std::string closing = "\r\nwlancmd show apledlog success!\r\n";
    if (status != 0 || out.size() < closing.size() ||
        out.compare(out.size() - closing.size(), closing.size(), closing)) {
        return Fail("show apledlog: no closing line");
    }
    std::vector<Record> slots;
    std::string why;
    if (!ParseRing(out.substr(0, out.size() - closing.size()), &slots, &why)) return Fail("ring: " + why);
    // The oldest record is the one at the write position (the ring's
    // documented field): what lies behind it is from the lap before.
    const size_t start = WLAN_CMD_APLEDLOG_TblGet()->uiWritePos / kRecordLen;
    if (start > slots.size()) return Fail("write position " + std::to_string(start) + " past the text");
    std::rotate(slots.begin(), slots.begin() + static_cast<long>(start % std::max<size_t>(slots.size(), 1)),
                slots.end());
    uint32_t expectNext[kWriters] = {};
    uint64_t appended = 0;
    for (uint32_t w = 0; w < kWriters; w++) appended += g_w.last[w].load() - sinceClear[w];
    if (slots.size() != std::min<uint64_t>(appended, kRingSlots)) {
        return Fail("ring holds " + std::to_string(slots.size()) + " records, " + std::to_string(appended) +
                    " appended since the clear");
    }
    for (const Record &r : slots) {
        if (expectNext[r.w] != 0 && r.n != expectNext[r.w]) {
            return Fail("writer " + std::to_string(r.w) + ": record " + std::to_string(r.n) + " after " +
                        std::to_string(expectNext[r.w] - 1));
        }
        if (r.n <= sinceClear[r.w]) return Fail("a record from before the clear: " + std::to_string(r.n));
        expectNext[r.w] = r.n + 1;
    }
    // Every record appended since the last check is here: none lost unseen.
    uint32_t first[kWriters] = {};
    for (const Record &r : slots) {
        if (first[r.w] == 0) first[r.w] = r.n;
    }
    for (uint32_t w = 0; w < kWriters; w++) {
        const uint32_t from = std::max(sinceClear[w], checkedUpTo[w]);
        if (g_w.last[w].load() > from && (first[w] == 0 || first[w] > from + 1)) {
            Fail("writer " + std::to_string(w) + ": records " + std::to_string(from + 1) + " to " +
                 std::to_string(first[w] - 1) + " not in the ring");
        }
        if (expectNext[w] != 0 && expectNext[w] - 1 != g_w.last[w].load()) {
            Fail("writer " + std::to_string(w) + ": newest record " + std::to_string(g_w.last[w].load()) + " missing");
        }
    }
}

void Checker(const std::string &socket, std::atomic<uint64_t> *checks)
{
    uint32_t sinceClear[kWriters] = {};
    uint32_t checkedUpTo[kWriters] = {};
    uint32_t pauses = 0;
    std::mt19937 rng(7);
    while (!g_stop.load()) {
        const auto due = Clock::now() + std::chrono::milliseconds(150);
        while (g_w.tokens.load() > 0 && Clock::now() < due && !g_stop.load()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        const uint32_t pause = ++pauses;
        g_w.pause.store(pause);
        for (uint32_t w = 0; w < kWriters; w++) {
            while (g_w.acked[w].load() != pause && !g_stop.load()) std::this_thread::yield();
        }
        if (g_stop.load()) break;
        CheckQuiescentRing(socket, sinceClear, checkedUpTo);
        for (uint32_t w = 0; w < kWriters; w++) checkedUpTo[w] = g_w.last[w].load();
        if (rng() % 4 == 0) {  // start again from an empty ring now and then
            int status = 0;
            (void)Send(socket, "clear apledlog", &status);
            for (uint32_t w = 0; w < kWriters; w++) sinceClear[w] = g_w.last[w].load();
        }
        (*checks)++;
        g_w.tokens.store(kPerCheck);
        g_w.pause.store(0);
    }
    g_w.pause.store(0);
}

// ---- Clients, stations, roam and topology lines --------------------------------

void Client(const std::string &socket, unsigned id, std::atomic<uint64_t> *lines)
{
    static const char *const kLines[] = {
        "show apledlog",    "show log",  "clear log", "show xlinkerrlog", "clear xlinkerrlog", "debug scn show sta",
        "-i wl0 assoclist", "show topo", "?",         "show vitranslog"};
    std::mt19937 rng(id);
    while (!g_stop.load()) {
        int status = 0;
        const char *line = kLines[rng() % std::size(kLines)];
        std::string out = Send(socket, line, &status);
        if (strcmp(line, "show apledlog") == 0 && out.find("wlancmd show apledlog success!") == std::string::npos) {
            Fail("a concurrent show of the ring lost its closing line");
        }
        (*lines)++;
    }
}

void Stations()
{
    std::mt19937 rng(11);
    std::vector<std::string> joined;
    std::string error;
    while (!g_stop.load()) {
        if (joined.size() < 24 && (joined.empty() || rng() % 2 == 0)) {
            char mac[18];
            snprintf(mac, sizeof(mac), "02:5a:00:%02x:%02x:%02x", static_cast<unsigned char>(rng()),
                     static_cast<unsigned char>(rng()), static_cast<unsigned char>(rng()));
            if (qzsim::AddStation(mac, rng() % 2, (rng() % 2) ? 1u << 24 : 1000u, &error)) joined.push_back(mac);
        } else {
            size_t i = rng() % joined.size();
            if (!qzsim::RemoveStation(joined[i], &error)) Fail("station " + joined[i] + ": " + error);
            joined.erase(joined.begin() + static_cast<long>(i));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void RoamAndTopology(std::atomic<uint32_t> *roamLines, std::atomic<uint32_t> *topoLines)
{
    for (uint32_t n = 1; !g_stop.load(); n++) {
        WLAN_TOPO_DebugLog("soak topo n%010" PRIu32 " x%08" PRIx32 "\n", n, Check(9, n));
        topoLines->store(n);
        // About ten thousand lines a second: a rotation every few tenths of a
        // second, without writing gigabytes.
        if (n % 10 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (n % 20 == 0) {
            const uint32_t r = n / 20;
            WLAN_RecordRoamLog("02:5a:00:00:00:01", r % 2, 1 + r % 13, "soak roam n%010" PRIu32 " x%08" PRIx32, r,
                               Check(8, r));
            roamLines->store(r);
        }
    }
}

// Soak lines of a file (topology or roam) in order: complete, intact, each
// one number after the one before. next: the number expected, 0 at first.
void CheckSoakLines(const std::string &file, const std::string &marker, uint32_t tag, uint32_t *next, bool *sawAny)
{
    std::ifstream in(file, std::ios::binary);
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!content.empty() && content.back() != '\n') Fail(file + ": the last line is not complete");
    std::istringstream lines(content);
    for (std::string line; std::getline(lines, line);) {
        size_t at = line.find(marker);
        if (at == std::string::npos) continue;  // the service's own lines (stations)
        uint32_t n = 0, x = 0;
        char tail = 0;
        if (sscanf(line.c_str() + at + marker.size(), "n%10" SCNu32 " x%8" SCNx32 "%c", &n, &x, &tail) != 2 ||
            x != Check(tag, n)) {
            return Fail(file + ": torn or changed line: " + line);
        }
        if (*next != 0 && n != *next) {
            return Fail(file + ": line " + std::to_string(n) + " where " + std::to_string(*next) + " was due");
        }
        *next = n + 1;
        *sawAny = true;
    }
}

std::string TopoFile(int i)
{
    return qzsim::MapPath(("/var/zarvo/topodebug." + std::to_string(i) + ".log").c_str());
}

void CheckFiles(uint32_t roamLines, uint32_t topoLines)
{
    // Topology files 1 (oldest) to 10: complete, each closed one line past the
    // limit at most, the lines going on from file to file.
    uint32_t next = 0;
    bool any = false;
    int files = 0;
    for (int i = 1; i <= 10; i++) {
        const std::string file = TopoFile(i);
        std::error_code ec;
        if (!std::filesystem::exists(file, ec)) break;
        files++;
        const auto size = std::filesystem::file_size(file, ec);
        const bool newest = !std::filesystem::exists(TopoFile(i + 1), ec);
        if (!newest && (size <= kTopoLimit || size > kTopoLimit + kTopoLineMax)) {
            Fail(file + ": rotated at " + std::to_string(size) + " bytes");
        }
        CheckSoakLines(file, "soak topo ", 9, &next, &any);
    }
    if (!any || next - 1 != topoLines) {
        Fail("topology: newest line " + std::to_string(next - 1) + ", written " + std::to_string(topoLines));
    }
    uint32_t roamNext = 0;
    bool roamAny = false;
    CheckSoakLines(qzsim::MapPath("/proc/wifilog/debug/2G"), "soak roam ", 8, &roamNext, &roamAny);
    if (roamLines > 0 && (!roamAny || roamNext - 1 != roamLines || roamNext == 0)) {
        Fail("roam: newest line " + std::to_string(roamNext - 1) + ", written " + std::to_string(roamLines));
    }
    printf("topology: %d files, %" PRIu32 " lines written; roam: %" PRIu32 " lines\n", files, topoLines, roamLines);
}

// ---- Resources ---------------------------------------------------------------

long ResidentKiB()
{
    long pages = 0, resident = 0;
    FILE *f = fopen("/proc/self/statm", "r");
    if (f != nullptr) {
        if (fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

int OpenDescriptors()
{
    int n = 0;
    if (DIR *d = opendir("/proc/self/fd")) {
        while (readdir(d) != nullptr) n++;
        closedir(d);
    }
    return n - 2;  // . and ..
}

}  // namespace

int main(int argc, char **argv)
{
    const int seconds = argc > 1 ? atoi(argv[1]) : 600;
    if (seconds < 5) {
        fprintf(stderr, "usage: soak_host SECONDS (at least 5)\n");
        return 2;
    }
    char templ[] = "/tmp/qz_soak.XXXXXX";
    std::string error;
    if (mkdtemp(templ) == nullptr || !qzsim::SetRoot(templ, &error) ||
        !qzsim::LoadProfileFile(QZ_SOURCE_DIR "/profiles/mesh-demo.json", &error)) {
        fprintf(stderr, "soak: %s\n", error.c_str());
        return 2;
    }
    qzsim::CaptureConsole(true);  // the timer's and the sampler's console text, dropped below
    (void)WLAN_CMD_LogInit();
    (void)WLAN_DBG_CmdInit();
    (void)WLAN_FT_Init();
    (void)WLAN_InitAirInterface();
    qzsim::StartEventThread();
    qzsim::StartTimerThread(20);

    const std::string socket = std::string(templ) + "/soak.sock";
    host::Dispatcher dispatcher(WLAN_CliMsgProc, [] {});
    dispatcher.Start();
    host::SocketServer server;
    if (!server.Listen(socket, &error)) {
        fprintf(stderr, "soak: %s\n", error.c_str());
        return 2;
    }
    server.Start(&dispatcher);

    std::atomic<uint64_t> lines{0}, checks{0};
    std::atomic<uint32_t> roamLines{0}, topoLines{0};
    std::vector<std::thread> threads;
    for (uint32_t w = 0; w < kWriters; w++) threads.emplace_back(Writer, w);
    for (unsigned c = 0; c < kClients; c++) threads.emplace_back(Client, socket, c, &lines);
    threads.emplace_back(Checker, socket, &checks);
    threads.emplace_back(Stations);
    threads.emplace_back(RoamAndTopology, &roamLines, &topoLines);

    // Warm-up: the first fifth (at least 2 s); then resident memory and
    // descriptors are sampled every second against their warm-up values.
    const auto start = Clock::now();
    const auto warm = start + std::chrono::seconds(std::max(2, seconds / 5));
    const auto end = start + std::chrono::seconds(seconds);
    long rssWarm = 0, rssMax = 0;
    int fdWarm = 0, fdMax = 0;
    while (Clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        (void)qzsim::TakeConsole();
        qzsim::ClearRecords();
        if (Clock::now() < warm) continue;
        const long rss = ResidentKiB();
        const int fds = OpenDescriptors();
        if (rssWarm == 0) rssWarm = rss, fdWarm = fds;
        rssMax = std::max(rssMax, rss);
        fdMax = std::max(fdMax, fds);
    }
    g_stop.store(true);
    for (auto &t : threads) t.join();
    server.Stop();
    dispatcher.Stop();
    qzsim::StopTimerThread();
    qzsim::StopEventThread();

    CheckFiles(roamLines.load(), topoLines.load());
    uint64_t records = 0;
    for (auto &l : g_w.last) records += l.load();
    printf("%d s: %" PRIu64 " ring records, %" PRIu64 " client lines, %" PRIu64 " whole-ring checks\n", seconds,
           records, lines.load(), checks.load());
    printf("resident memory after warm-up: %ld KiB, at most %ld KiB (+%ld); descriptors %d, at most %d\n", rssWarm,
           rssMax, rssMax - rssWarm, fdWarm, fdMax);
    // Growth that a leak per line, record or cycle would show many times over;
    // client connections in flight account for the descriptors' slack.
    if (rssMax - rssWarm > 4096) Fail("resident memory grew by " + std::to_string(rssMax - rssWarm) + " KiB");
    if (fdMax > fdWarm + 2 * static_cast<int>(kClients) + 4) Fail("descriptors grew to " + std::to_string(fdMax));
    if (checks.load() == 0) Fail("the ring was never checked whole");

    std::error_code ec;
    std::filesystem::remove_all(templ, ec);
    printf("soak: %s\n", g_failures.empty() ? "passed" : "FAILED");
    return g_failures.empty() ? 0 : 1;
}
