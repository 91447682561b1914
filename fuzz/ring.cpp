// Sequences of ring operations (raw and time-stamped appends, clears, shows)
// on the four real rings, each shadowed by a plain model: after every step
// every ring's text area and write position equal the model's, and a show
// prints exactly the model's text and closing message.
//
// Input: a stream of operations. Byte 0 of each: operation (low 3 bits) and
// ring (bits 3-4); then
//   raw      len(1) bytes(len)       the bytes as they come, NULs included
//   long     len(2, LE) fill(1)      len copies of one byte (reaches wraps)
//   stamped  len(1) bytes(len)       "%s" with the text up to its first NUL
//   clear, show                      nothing
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "fuzz_support.h"
#include "qz_platform.h"
#include "qz_sim.h"
#include "qz_wlan_log.h"

namespace {

constexpr uint32_t kTextMax = WLAN_LOG_RING_SIZE - 1;
constexpr size_t kRecordMax = WLAN_LOG_RECORD_SIZE - 1;

struct Ring {
    WLAN_LOG_TBL_S *tbl;
    WLAN_DBG_CMD_HANDLER show;
    const char *showDone;
    const char *clearDone;  // null: the ring has no clear command
    WLAN_DBG_CMD_HANDLER clear;
};

const Ring kRings[] = {
    {&g_stWlanLog, WLAN_CMD_Showlog, "wlancmd show log success!", "wlancmd clear log success", WLAN_CMD_ClearLog},
    {&g_stApLEDLog, WLAN_CMD_ShowAPLEDlog, "wlancmd show apledlog success!", "wlancmd clear apledlog success",
     WLAN_CMD_ClearAPLEDLog},
    {&g_stZarvoErrorLog, WLAN_CMD_ShowZarvoErrlog, "wlancmd show xlikerrlog success!",
     "wlancmd clear xlinkerrlog success", WLAN_CMD_ClearZarvoErrlog},
    {&g_vitransLog, WLAN_CMD_ShowVitransLog, "wlancmd show vitranslog success!", nullptr, nullptr},
};
constexpr size_t kRingCount = sizeof(kRings) / sizeof(kRings[0]);

// The ring as its users see it: a text area whose last byte stays 0, a write
// position, records laid back to back and wrapping to the start (over the
// older text, which stays behind) when one would reach the end.
struct Model {
    std::string area = std::string(WLAN_LOG_RING_SIZE, '\0');
    uint32_t pos = 0;

    void Clear()
    {
        area.assign(WLAN_LOG_RING_SIZE, '\0');
        pos = 0;
    }
    void Append(const std::string &bytes)
    {
        if (pos == 0) {
            Clear();
        } else if (pos + bytes.size() >= WLAN_LOG_RING_SIZE) {
            pos = 0;
        }
        if (bytes.size() > kTextMax - pos) {
            // Refused by the bounded copy, which clears its destination.
            area.replace(pos, kTextMax - pos, kTextMax - pos, '\0');
            return;
        }
        area.replace(pos, bytes.size(), bytes);
        pos += static_cast<uint32_t>(bytes.size());
    }
    std::string Text() const { return area.substr(0, area.find('\0')); }
};

Model g_models[kRingCount];
std::string g_prefix;  // the record prefix at the fixed clock

void Fail(const char *what, size_t ring, size_t step)
{
    fprintf(stderr, "fuzz_ring: ring %zu, step %zu: %s\n", ring, step, what);
    __builtin_trap();
}

void SetUp()
{
    static bool done = false;
    if (done) return;
    done = true;
    qzfuzz::SetUpPlatform();
    qzsim::FixClock(1764950400, 4321);
    (void)WLAN_CMD_LogInit();
    QZ_OS_TIMEVAL_S tv{};
    struct tm tm {};
    char when[128] = {};
    (void)QZ_OS_GetLocalTimeVal(&tv);
    (void)QZ_TIMER_GetConfigDSTTime(&tm);
    (void)QZ_TIMER_TimeToDSTStr(&tm, when, sizeof(when));
    char prefix[WLAN_LOG_RECORD_SIZE];
    snprintf(prefix, sizeof(prefix), "\r\n[%s:%06u]", when, tv.uiUsec);
    g_prefix = prefix;
}

void Check(size_t step)
{
    for (size_t r = 0; r < kRingCount; r++) {
        const WLAN_LOG_TBL_S *tbl = kRings[r].tbl;
        const Model &model = g_models[r];
        if (tbl->acLog[kTextMax] != '\0') Fail("last byte written", r, step);
        if (tbl->uiWritePos != model.pos) Fail("write position differs", r, step);
        // The whole area, not only the text: the older text behind the
        // terminator shows again once a later record overwrites it.
        if (memcmp(tbl->acLog, model.area.data(), WLAN_LOG_RING_SIZE) != 0) {
            const bool shown = strncmp(tbl->acLog, model.area.data(), WLAN_LOG_RING_SIZE) != 0;
            Fail(shown ? "text differs" : "text behind the terminator differs", r, step);
        }
    }
}

struct Reader {
    const uint8_t *data;
    size_t size;
    size_t at = 0;

    size_t Left() const { return size - at; }
    uint8_t Byte() { return at < size ? data[at++] : 0; }
    std::string Bytes(size_t n)
    {
        n = n < Left() ? n : Left();
        std::string s(reinterpret_cast<const char *>(data + at), n);
        at += n;
        return s;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    SetUp();
    for (size_t r = 0; r < kRingCount; r++) {
        memset(kRings[r].tbl, 0, sizeof(WLAN_LOG_TBL_S));
        g_models[r].Clear();
    }
    char word0[] = "wlancmd";
    char *argv[8] = {word0, word0};
    Reader in{data, size};
    for (size_t step = 0; in.Left() > 0; step++) {
        const uint8_t op = in.Byte();
        const size_t r = (op >> 3) % kRingCount;
        const Ring &ring = kRings[r];
        Model &model = g_models[r];
        std::string expect;
        switch (op & 7) {
            case 0:
            case 1: {
                std::string bytes = in.Bytes(in.Byte());
                QZ_WLAN_CpLog(ring.tbl, bytes.data(), static_cast<uint32_t>(bytes.size()));
                model.Append(bytes);
                break;
            }
            case 2: {
                size_t len = in.Byte();
                len |= static_cast<size_t>(in.Byte()) << 8;
                static std::string bytes;  // kept: a fresh 10 KiB block per step halves the speed
                bytes.assign(len % (WLAN_LOG_RING_SIZE + 256), static_cast<char>(in.Byte()));
                QZ_WLAN_CpLog(ring.tbl, bytes.data(), static_cast<uint32_t>(bytes.size()));
                model.Append(bytes);
                break;
            }
            case 3:
            case 4: {
                std::string text = in.Bytes(in.Byte());
                text = text.substr(0, text.find('\0'));
                WLAN_LOG_SaveWlanLog(ring.tbl, "%s", text.c_str());
                // An empty message is a formatting failure; a record that
                // does not fit is dropped whole.
                if (!text.empty() && g_prefix.size() + text.size() <= kRecordMax) model.Append(g_prefix + text);
                break;
            }
            case 5:
                if (ring.clear == nullptr) {
                    (void)WLAN_CMD_ClearLogInner(ring.tbl, "cleared");
                    expect = "\r\ncleared\r\n";
                } else {
                    if (ring.clear(2, argv) != 0) Fail("clear failed", r, step);
                    expect = std::string("\r\n") + ring.clearDone + "\r\n";
                }
                model.Clear();
                break;
            default:
                if (ring.show(2, argv) != 0) Fail("show failed", r, step);
                expect = model.Text() + "\r\n" + ring.showDone + "\r\n";
                break;
        }
        if (qzsim::TakeConsole() != expect) Fail("console differs", r, step);
        Check(step);
    }
    qzsim::ClearRecords();
    return 0;
}
