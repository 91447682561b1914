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
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <numeric>
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
namespace fs = std::filesystem;

constexpr unsigned kWriters = 3, kClients = 6;
// The ring's records all have one length, so the ring (10240 bytes, a record
// never written across its end) holds floor(10239 / 54) = 189 of them, always
// at the same offsets.
constexpr size_t kRecordLen = 54, kRingSlots = 10239 / kRecordLen;
// Between two checks the writers together append at most this many records,
// fewer than the ring keeps, so that every record is seen by a check.
constexpr int64_t kPerCheck = 150;

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

std::string Send(const std::string &socket, const std::string &line)
{
    std::string out, err, error;
    int status = host::SendLine(
        socket, line, [&out](const std::string &t) { out += t; }, [&err](const std::string &t) { err += t; }, &error);
    if (status != 0) Fail("\"" + line + "\": status " + std::to_string(status) + " " + err + error);
    return out;
}

// ---- The ring's writers, and the pause that lets the ring be read whole ------

// A writer counts itself inside before it takes a token, so once the checker
// has taken the tokens away and sees nobody inside, no append is under way.
std::atomic<int64_t> g_tokens{kPerCheck};  // appends left before the next check
std::atomic<int> g_inside{0};
std::atomic<uint32_t> g_last[kWriters];  // the newest n each has appended (0: none)

void Writer(uint32_t w)
{
    for (uint32_t n = 1; !g_stop.load();) {
        g_inside++;
        const bool mayAppend = g_tokens.fetch_sub(1) > 0;
        if (mayAppend) {
            WLAN_LOG_SaveWlanLog(WLAN_CMD_APLEDLOG_TblGet(), "w%" PRIu32 " n%010" PRIu32 " x%08" PRIx32, w, n,
                                 Check(w, n));
            g_last[w].store(n++);
        }
        g_inside--;
        if (!mayAppend) std::this_thread::yield();
    }
}

// Writers paused: the ring shown, in lock order its slots from the write
// position on, then those before it. Each writer's records must be its newest
// ones since the clear, in order and without a gap, reaching back at least to
// the first since the last check; together as many as the ring keeps.
void CheckQuiescentRing(const std::string &socket, const uint32_t sinceClear[], const uint32_t checkedUpTo[])
{
    std::string text = Send(socket, "show apledlog");
    const std::string closing = "\r\nwlancmd show apledlog success!\r\n";
    if (!text.ends_with(closing)) return Fail("show apledlog: no closing line");
    text.resize(text.size() - closing.size());
    if (text.size() % kRecordLen != 0) return Fail("ring: length " + std::to_string(text.size()));
    // The oldest record is the one at the write position (the ring's
    // documented field): what lies behind it is from the lap before.
    const size_t start = WLAN_CMD_APLEDLOG_TblGet()->uiWritePos;
    if (start > text.size()) return Fail("write position " + std::to_string(start) + " past the text");
    text = text.substr(start) + text.substr(0, start);
    std::vector<uint32_t> seen[kWriters];
    uint64_t appended = 0;
    for (size_t pos = 0; pos < text.size(); pos += kRecordLen) {
        const std::string r = text.substr(pos, kRecordLen);
        uint32_t w = 0, n = 0, x = 0;
        char tail = 0;
        if (r.compare(0, 3, "\r\n[") != 0 || r[29] != ']' ||
            sscanf(r.c_str() + 30, "w%" SCNu32 " n%10" SCNu32 " x%8" SCNx32 "%c", &w, &n, &x, &tail) != 3 ||
            w >= kWriters || x != Check(w, n)) {
            return Fail("ring: record " + std::to_string(pos / kRecordLen) + " torn or changed: " + r);
        }
        seen[w].push_back(n);
    }
    for (uint32_t w = 0; w < kWriters; w++) appended += g_last[w].load() - sinceClear[w];
    if (text.size() / kRecordLen != std::min<uint64_t>(appended, kRingSlots)) {
        Fail("ring holds " + std::to_string(text.size() / kRecordLen) + " records, " + std::to_string(appended) +
             " appended since the clear");
    }
    for (uint32_t w = 0; w < kWriters; w++) {
        const uint32_t last = g_last[w].load(), from = std::max(sinceClear[w], checkedUpTo[w]);
        std::vector<uint32_t> newest(seen[w].size());
        std::iota(newest.begin(), newest.end(), last + 1 - static_cast<uint32_t>(newest.size()));
        if (seen[w] != newest || (!newest.empty() && newest[0] <= sinceClear[w])) {
            Fail("writer " + std::to_string(w) + ": the ring does not end with its newest records since the clear");
        } else if (last > from && (newest.empty() || newest[0] > from + 1)) {
            Fail("writer " + std::to_string(w) + ": records since " + std::to_string(from) + " not in the ring");
        }
    }
}

void Checker(const std::string &socket, std::atomic<uint64_t> *checks)
{
    uint32_t sinceClear[kWriters] = {}, checkedUpTo[kWriters] = {};
    std::mt19937 rng(7);
    while (!g_stop.load()) {
        const auto due = Clock::now() + std::chrono::milliseconds(150);
        while (g_tokens.load() > 0 && Clock::now() < due && !g_stop.load()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        g_tokens.store(INT64_MIN / 2);
        while (g_inside.load() != 0) std::this_thread::yield();
        if (g_stop.load()) break;
        CheckQuiescentRing(socket, sinceClear, checkedUpTo);
        for (uint32_t w = 0; w < kWriters; w++) checkedUpTo[w] = g_last[w].load();
        if (rng() % 4 == 0) {  // start again from an empty ring now and then
            (void)Send(socket, "clear apledlog");
            std::copy(checkedUpTo, checkedUpTo + kWriters, sinceClear);
        }
        (*checks)++;
        g_tokens.store(kPerCheck);
    }
}

// ---- Clients, stations, roam and topology lines --------------------------------

void Client(const std::string &socket, unsigned id, std::atomic<uint64_t> *lines)
{
    static const char *const kLines[] = {
        "show apledlog",    "show log",  "clear log", "show xlinkerrlog", "clear xlinkerrlog", "debug scn show sta",
        "-i wl0 assoclist", "show topo", "?",         "show vitranslog"};
    std::mt19937 rng(id);
    for (; !g_stop.load(); (*lines)++) {
        const std::string line = kLines[rng() % std::size(kLines)];
        if (Send(socket, line).find("wlancmd show apledlog success!") == std::string::npos && line == kLines[0]) {
            Fail("a concurrent show of the ring lost its closing line");
        }
    }
}

// Up to 24 stations join and leave at random, one change every 5 ms.
void Stations()
{
    std::mt19937 rng(11);
    bool joined[24] = {};
    std::string error;
    for (char mac[18]; !g_stop.load(); std::this_thread::sleep_for(std::chrono::milliseconds(5))) {
        const unsigned i = rng() % std::size(joined);
        snprintf(mac, sizeof(mac), "02:5a:00:00:00:%02x", i);
        if (!joined[i]) {
            joined[i] = qzsim::AddStation(mac, rng() % 2, (rng() % 2) ? 1u << 24 : 1000u, &error);
        } else if (qzsim::RemoveStation(mac, &error)) {
            joined[i] = false;
        } else {
            Fail("station " + std::string(mac) + ": " + error);
        }
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
void CheckSoakLines(const std::string &file, const std::string &marker, uint32_t tag, uint32_t *next)
{
    std::ifstream in(file, std::ios::binary);
    const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!content.empty() && content.back() != '\n') Fail(file + ": the last line is not complete");
    std::istringstream lines(content);
    for (std::string line; std::getline(lines, line);) {
        const size_t at = line.find(marker);
        if (at == std::string::npos) continue;  // the service's own lines (stations)
        uint32_t n = 0, x = 0;
        char tail = 0;
        if (sscanf(line.c_str() + at + marker.size(), "n%10" SCNu32 " x%8" SCNx32 "%c", &n, &x, &tail) != 2 ||
            x != Check(tag, n) || (*next != 0 && n != *next)) {
            return Fail(file + ": torn, changed or out of turn where line " + std::to_string(*next) +
                        " was due: " + line);
        }
        *next = n + 1;
    }
}

// Topology files 1 (oldest) to 10: complete, each closed one line (at most
// 255 bytes) past the limit of 131072 bytes at most, the lines going on from
// file to file; then the roam file.
void CheckFiles(uint32_t roamLines, uint32_t topoLines)
{
    auto topoFile = [](int i) {
        return qzsim::MapPath(("/var/zarvo/topodebug." + std::to_string(i) + ".log").c_str());
    };
    uint32_t next = 0;
    int files = 0;
    for (; files < 10 && fs::exists(topoFile(files + 1)); files++) {
        const std::string file = topoFile(files + 1);
        const auto size = fs::file_size(file);
        if (fs::exists(topoFile(files + 2)) && (size <= 131072 || size > 131072 + 255)) {
            Fail(file + ": rotated at " + std::to_string(size) + " bytes");
        }
        CheckSoakLines(file, "soak topo ", 9, &next);
    }
    if (next == 0 || next - 1 != topoLines) {
        Fail("topology: newest line " + std::to_string(next - 1) + ", written " + std::to_string(topoLines));
    }
    uint32_t roamNext = 0;
    CheckSoakLines(qzsim::MapPath("/proc/wifilog/debug/2G"), "soak roam ", 8, &roamNext);
    if (roamLines > 0 && roamNext != roamLines + 1) {
        Fail("roam: newest line " + std::to_string(roamNext - 1) + ", written " + std::to_string(roamLines));
    }
    printf("topology: %d files, %" PRIu32 " lines written; roam: %" PRIu32 " lines\n", files, topoLines, roamLines);
}

long ResidentKiB()
{
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

int OpenDescriptors()
{
    return static_cast<int>(std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
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
    host::Dispatcher dispatcher(WLAN_CliMsgProc, [] {});
    host::SocketServer server;
    if (mkdtemp(templ) == nullptr || !qzsim::SetRoot(templ, &error) ||
        !qzsim::LoadProfileFile(QZ_SOURCE_DIR "/profiles/mesh-demo.json", &error) ||
        !server.Listen(std::string(templ) + "/soak.sock", &error)) {
        fprintf(stderr, "soak: %s\n", error.c_str());
        return 2;
    }
    const std::string socket = std::string(templ) + "/soak.sock";
    qzsim::CaptureConsole(true);  // the timer's and the sampler's console text, dropped below
    (void)WLAN_CMD_LogInit();
    (void)WLAN_DBG_CmdInit();
    (void)WLAN_FT_Init();
    (void)WLAN_InitAirInterface();
    qzsim::StartEventThread();
    qzsim::StartTimerThread(20);
    dispatcher.Start();
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
    long rssWarm = 0, rssMax = 0;
    int fdWarm = 0, fdMax = 0;
    while (Clock::now() < start + std::chrono::seconds(seconds)) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        (void)qzsim::TakeConsole();
        qzsim::ClearRecords();
        if (Clock::now() < warm) continue;
        if (rssWarm == 0) rssWarm = ResidentKiB(), fdWarm = OpenDescriptors();
        rssMax = std::max(rssMax, ResidentKiB());
        fdMax = std::max(fdMax, OpenDescriptors());
    }
    g_stop.store(true);
    for (auto &t : threads) t.join();
    server.Stop();
    dispatcher.Stop();
    qzsim::StopTimerThread();
    qzsim::StopEventThread();

    CheckFiles(roamLines.load(), topoLines.load());
    uint64_t records = 0;
    for (auto &l : g_last) records += l.load();
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
    fs::remove_all(templ, ec);
    printf("soak: %s\n", g_failures.empty() ? "passed" : "FAILED");
    return g_failures.empty() ? 0 : 1;
}
