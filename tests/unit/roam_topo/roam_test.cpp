// Roam lines byte for byte with a fixed clock, the 255-byte line limit, the
// MAC policy and the failures that still write a line.
#include <cstring>
#include <string>

#include "qz_sim_bounded.h"
#include "roam_topo_fixture.h"

namespace {

constexpr char kMac[] = "a1:b2:c3:d4:e5:f6";

using RoamLog = roamtest::RoamTopoTest;

TEST_F(RoamLog, LineByteForByte)
{
    struct Case {
        int showFullMac;
        uint32_t micros;
        uint32_t apInst;
        uint32_t band;
        uint32_t action;
        const char *expected;
    };
    const Case cases[] = {
        {0, 7000, 258, 0, 10, "2026-03-07 09:05:03.007 [FBT][STA a1:b2:c3:d4:XX:XX][Band 2.4G][AP:2][MOVE START] m\n"},
        {1, 999999, 7, 1, 3,
         "2026-03-07 09:05:03.999 [FBT][STA a1:b2:c3:d4:e5:f6][Band 5G][AP:7][NETLINK OFFLINE] m\n"},
        {0, 0, 255, 2, 0, "2026-03-07 09:05:03.000 [FBT][STA a1:b2:c3:d4:XX:XX][Band NA][AP:255][] m\n"},
        {5, 1000, 256, 7, 14, "2026-03-07 09:05:03.001 [FBT][STA a1:b2:c3:d4:e5:f6][Band NA][AP:0][] m\n"},
        {0, 12345, 1, 1, 13,
         "2026-03-07 09:05:03.012 [FBT][STA a1:b2:c3:d4:XX:XX][Band 5G][AP:1][KICK INVALID STA] m\n"},
    };
    std::string expected;
    for (const Case &c : cases) {
        ShowFullMac(c.showFullMac);
        qzsim::FixClock(roamtest::kEpoch, c.micros);
        WLAN_SetOwnAPInst(c.apInst);
        WLAN_RecordRoamLog(kMac, c.band, c.action, "%c", 'm');
        expected += c.expected;
        EXPECT_EQ(g_ownAPInst, static_cast<uint8_t>(c.apInst));
    }
    EXPECT_EQ(RoamFile(), expected);
    EXPECT_TRUE(qzsim::LastWords().empty());
}

TEST_F(RoamLog, LineLimitDropsWholeLines)
{
    // Header of every line below: 82 bytes before the message.
    const std::string head = "2026-03-07 09:05:03.007 [FBT][STA a1:b2:c3:d4:XX:XX][Band 2.4G][AP:0][MOVE START] ";
    ASSERT_EQ(head.size(), 82u);
    struct Case {
        size_t lineLen;  // bytes before the newline
        bool written;
        size_t lastWords;
    };
    const Case cases[] = {
        {254, true, 0},   // the longest line that is written
        {255, false, 1},  // the message fits but the newline does not: reported
        {256, false, 0},  // the message does not fit: dropped silently
        {400, false, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.lineLen);
        qzsim::ClearRecords();
        std::remove(Under(WLAN_ROAM_LOG_PATH).c_str());
        std::string msg(c.lineLen - head.size(), 'x');
        WLAN_RecordRoamLog(kMac, 0, 10, "%s", msg.c_str());
        EXPECT_EQ(RoamFile(), c.written ? head + msg + "\n" : "");
        EXPECT_EQ(qzsim::LastWords().size(), c.lastWords);
        if (c.lastWords != 0) {
            EXPECT_EQ(qztest::CountLastWords("wlan_log", QZ_SIM_ERANGE), 1u);
        }
    }
}

TEST_F(RoamLog, FailuresThatStillWriteTheLine)
{
    struct Case {
        const char *name;
        const char *faultCall;  // made to fail once, with code 0x5A
        int showFullMac;
        const char *mac;
        const char *expected;
        uint32_t lastWordCode;
    };
    const Case cases[] = {
        {"time query fails", "QZ_TIMER_GetConfigDSTTime", 0, kMac,
         "[FBT][STA a1:b2:c3:d4:XX:XX][Band 5G][AP:0][SCAN START] m\n", 0x5A},
        // A MAC text longer than its 18-byte buffer: the full copy is refused.
        {"full MAC does not fit", nullptr, 1, "a1:b2:c3:d4:e5:f6:77",
         "2026-03-07 09:05:03.007 [FBT][STA ][Band 5G][AP:0][SCAN START] m\n", 1},
        {"short MAC masked", nullptr, 0, "a1:b2",
         "2026-03-07 09:05:03.007 [FBT][STA a1:b2:XX:XX][Band 5G][AP:0][SCAN START] m\n", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        qzsim::ClearRecords();
        std::remove(Under(WLAN_ROAM_LOG_PATH).c_str());
        ShowFullMac(c.showFullMac);
        if (c.faultCall != nullptr) qzsim::FailCall(c.faultCall, 0x5A);
        WLAN_RecordRoamLog(c.mac, 1, 5, "%c", 'm');
        EXPECT_EQ(RoamFile(), c.expected);
        EXPECT_EQ(qzsim::LastWords().size(), c.lastWordCode != 0 ? 1u : 0u);
        if (c.lastWordCode != 0) {
            EXPECT_EQ(qztest::CountLastWords("wlan_log", c.lastWordCode), 1u);
        }
    }
}

TEST_F(RoamLog, FailuresThatWriteNothing)
{
    const char *emptyFormat = "%s";
    WLAN_RecordRoamLog(nullptr, 0, 1, "%c", 'm');
    WLAN_RecordRoamLog(kMac, 0, 1, emptyFormat, "");  // an empty message is a formatting failure
    EXPECT_EQ(RoamFile(), "");
    EXPECT_EQ(qztest::CountLastWords("wlan_log", 1), 2u);
    EXPECT_EQ(qzsim::LastWords().size(), 2u);
}

// Guard bytes around the destination catch any write outside it.
struct Guarded {
    static constexpr size_t kGuard = 8;
    char bytes[64 + 2 * kGuard];
    size_t size;
    explicit Guarded(size_t n, const char *fill = "") : size(n)
    {
        memset(bytes, 0x7E, sizeof(bytes));
        memcpy(dest(), fill, strlen(fill) + 1);
    }
    char *dest() { return bytes + kGuard; }
    bool GuardsIntact() const
    {
        for (size_t i = 0; i < kGuard; i++) {
            if (bytes[i] != 0x7E || bytes[kGuard + size + i] != 0x7E) return false;
        }
        return true;
    }
};

TEST_F(RoamLog, TimeStampAndActionNameBuffers)
{
    struct Case {
        const char *name;
        bool stamp;  // WLAN_AppendRoamTime, else WLAN_TransRoamAction
        uint32_t action;
        size_t size;
        const char *expected;  // the destination's text afterwards
        size_t lastWords;
    };
    const Case cases[] = {
        {"stamp fits", true, 0, 25, "2026-03-07 09:05:03.007 ", 0},
        {"stamp one byte short", true, 0, 24, "", 1},
        {"action 3 sits behind the move rows", false, 3, 32, "NETLINK OFFLINE", 0},
        {"name fits exactly", false, 3, 16, "NETLINK OFFLINE", 0},
        {"name one byte short", false, 3, 15, "", 1},
        {"action 0 leaves the destination", false, 0, 32, "keep", 0},
        {"action 14 leaves the destination", false, 14, 32, "keep", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        qzsim::ClearRecords();
        Guarded buf(c.size, "keep");
        if (c.stamp) {
            WLAN_AppendRoamTime(buf.dest(), static_cast<uint32_t>(c.size));
        } else {
            WLAN_TransRoamAction(c.action, buf.dest(), static_cast<uint32_t>(c.size));
        }
        EXPECT_STREQ(buf.dest(), c.expected);
        EXPECT_TRUE(buf.GuardsIntact());
        EXPECT_EQ(qzsim::LastWords().size(), c.lastWords);
    }
}

TEST_F(RoamLog, WifiLogProfileSection)
{
    struct Case {
        qzsim::json section;
        bool accepted;
    };
    const Case cases[] = {
        {{{"showFullMac", 1}}, true},      {qzsim::json::object(), true}, {{{"showFullMac", -1}}, false},
        {{{"showFullMac", "yes"}}, false}, {{{"hideMac", 1}}, false},     {qzsim::json::array(), false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.section.dump());
        std::string error;
        EXPECT_EQ(qzsim::LoadProfileJson({{"wifiLog", c.section}}, &error), c.accepted) << error;
        if (!c.accepted) {
            EXPECT_NE(error.find("wifiLog"), std::string::npos) << error;
        }
    }
}

}  // namespace
