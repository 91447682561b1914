// Reconciliation through the sample index against a plain scan of the sample
// for every slot, on random station churn: after every cycle both tables,
// their traces, reports and record files must be the same.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "qz_air_test.h"
#include "qz_platform.h"

namespace airtest {
namespace {

// The reference: each slot scans the sample in order for its first record
// with the same MAC text, and each new user's free slot is searched from 0.
void ReconcileByScan(const WLAN_AIR_USER_LIST_S &sample)
{
    std::vector<bool> matched(sample.num, false);
    WLAN_AIR_USER_S *users = g_pstAirUserTable->users;
    for (uint32_t i = 0; i < 256u; i++) {
        if (users[i].isOnline != 1) continue;
        users[i].isOnline = 0;
        const WLAN_AIR_USER_S *end = sample.users + sample.num;
        const WLAN_AIR_USER_S *hit = std::find_if(
            sample.users, end, [&](const WLAN_AIR_USER_S &s) { return strcmp(s.userMac, users[i].userMac) == 0; });
        if (hit != end) {
            WLAN_AirInterfaceUpdateOneUser(i, hit);
            matched[hit - sample.users] = true;
            WLAN_AirInterfaceUserIdentify(i);
            continue;
        }
        QZ_PROC_DBG_TraceN(544, kUnit, 0, "DelUser userMac[xx:xx:xx:%s] index[%u]", users[i].userMac + 9, i);
        memset(&users[i], 0, sizeof(users[i]));  // padding too: the tables are compared bytewise
    }
    for (uint32_t j = 0; j < sample.num; j++) {
        if (matched[j]) continue;
        (void)WLAN_AirInterfaceAddUser(&sample.users[j], 0);
        QZ_PROC_DBG_TraceN(544, kUnit, 0, "AddUser loop=%u", j);
    }
}

struct Station {
    std::string mac;
    bool present = false;
    bool listedTwice = false;  // the adapters report it on two SSIDs
    uint64_t bytesPerCycle = 0;
    uint64_t txBytes = 0;
};

struct Churn {
    uint32_t seed;
    int stations;
    int cycles;
    int joinPercent;   // chance of an absent station joining in a cycle
    int leavePercent;  // chance of a present one leaving
    int twicePercent;  // chance of a joining station being listed twice
    bool fillsTable;   // some cycle finds every slot in use
};

class MatchingCompareTest : public AirTest {
  protected:
    // Stations of asymmetric random MAC texts; every fifth one has a twin
    // that differs only in letter case.
    void MakeStations(int n)
    {
        stations_.clear();
        while (static_cast<int>(stations_.size()) < n) {
            unsigned b[6];
            for (auto &x : b) x = static_cast<unsigned>(rng_() & 0xFF);
            char mac[18];
            snprintf(mac, sizeof(mac), "%02x:%02x:%02x:%02x:%02x:%02x", b[0] & 0xFE, b[1], b[2], b[3], b[4],
                     0xa0 + b[5] % 0x50);
            stations_.push_back(Station{mac});
            if (stations_.size() % 5 == 0) {
                std::string upper = mac;
                for (auto &ch : upper) ch = static_cast<char>(toupper(ch));
                stations_.push_back(Station{upper});
            }
        }
        order_.clear();
        for (auto &s : stations_) order_.push_back(&s);
    }

    // One cycle of churn, then the sample the adapters would give: present
    // stations in their drifting order, some twice, at most the list's
    // capacity.
    void NextSample(const Churn &c, WLAN_AIR_USER_LIST_S *sample)
    {
        static const uint64_t kRates[] = {0, 3000, kAtThreshold, kAboveThreshold, kAboveThreshold * 5};
        auto chance = [&](int percent) { return static_cast<int>(rng_() % 100) < percent; };
        // The adapters' order drifts: a few stations swap places per cycle.
        for (size_t k = 0; k < order_.size() / 20 + 1; k++) {
            std::swap(order_[rng_() % order_.size()], order_[rng_() % order_.size()]);
        }
        std::vector<Station *> listed;
        for (Station *s : order_) {
            if (s->present ? chance(c.leavePercent) : chance(c.joinPercent)) {
                s->present = !s->present;
                s->listedTwice = s->present && chance(c.twicePercent);
            }
            if (chance(10)) s->bytesPerCycle = kRates[rng_() % 5];
            s->txBytes = chance(2) ? rng_() % 100000 : s->txBytes + s->bytesPerCycle;  // rarely re-associated
            if (s->present) listed.push_back(s);
        }
        for (Station *s : order_) {
            if (s->present && s->listedTwice) listed.insert(listed.begin() + rng_() % listed.size(), s);
        }
        *sample = WLAN_AIR_USER_LIST_S{};
        for (Station *s : listed) {
            if (sample->num == 256u) break;
            WLAN_AIR_USER_S &u = sample->users[sample->num];
            snprintf(u.userMac, sizeof(u.userMac), "%s", s->mac.c_str());
            // The two records of a station differ, so taking the wrong one shows.
            u.rssi = -30 - static_cast<int32_t>(sample->num % 60);
            u.powerSave = static_cast<uint8_t>(rng_() % 3);
            u.txRate = 100 + sample->num;
            u.rxRate = 50 + static_cast<uint32_t>(rng_() % 900);
            u.txBytes = s->txBytes;
            sample->num++;
        }
    }

    // One way of reconciling on its own table, then the write step with a
    // record file made anew, so it holds this cycle's lines only. Its
    // traces (text only: the reference's own lines sit elsewhere), reports
    // and record file.
    std::string Run(WLAN_AIR_USER_LIST_S *table, const WLAN_AIR_USER_LIST_S &sample, bool byScan)
    {
        g_pstAirUserTable = table;
        qzsim::ClearRecords();
        byScan ? ReconcileByScan(sample) : WLAN_AirInterfaceUpdateUsers(&sample);
        wlan_air::isExist = 0;
        wlan_air::lineNum = 0;
        EXPECT_EQ(WLAN_AirInterfaceWriteUsers(), 0u);
        g_pstAirUserTable = nullptr;
        std::string out;
        for (const auto &t : qzsim::Traces()) out += t.file + " " + std::to_string(t.id) + " " + t.text + "\n";
        for (const auto &w : qzsim::LastWords()) {
            out += w.file + " " + std::to_string(w.code) + " " + std::to_string(w.value1) + "\n";
        }
        return out + "--- record file\n" + qztest::ReadFile(RecordFile());
    }

    std::mt19937 rng_;
    std::vector<Station> stations_;
    std::vector<Station *> order_;
};

TEST_F(MatchingCompareTest, IndexedMatchingBehavesAsAScanOfTheSample)
{
    const Churn cases[] = {
        {11, 20, 120, 30, 8, 0, false},  // few stations, heavy churn
        {12, 60, 30, 60, 1, 0, false},   // steady stations become anchors
        {13, 300, 30, 50, 1, 0, false},  // more stations than the list holds
        {14, 200, 30, 50, 3, 15, true},  // stations listed twice fill the table
    };
    qzsim::FixClock(1764900000, 0);
    auto indexed = std::make_unique<WLAN_AIR_USER_LIST_S>();
    auto scanned = std::make_unique<WLAN_AIR_USER_LIST_S>();
    auto sample = std::make_unique<WLAN_AIR_USER_LIST_S>();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.seed);
        rng_.seed(c.seed);
        MakeStations(c.stations);
        *indexed = WLAN_AIR_USER_LIST_S{};
        *scanned = WLAN_AIR_USER_LIST_S{};
        size_t recordLines = 0;
        bool tableFull = false;
        for (int cycle = 0; cycle < c.cycles; cycle++) {
            NextSample(c, sample.get());
            const std::string a = Run(indexed.get(), *sample, false);
            ASSERT_EQ(a, Run(scanned.get(), *sample, true)) << "cycle " << cycle;
            for (uint32_t i = 0; i < 256u; i++) {
                ASSERT_EQ(memcmp(&indexed->users[i], &scanned->users[i], sizeof(WLAN_AIR_USER_S)), 0)
                    << "cycle " << cycle << " slot " << i << ": " << indexed->users[i].userMac << " / "
                    << scanned->users[i].userMac;
            }
            const std::string file = a.substr(a.find("--- record file\n"));
            recordLines += static_cast<size_t>(std::count(file.begin(), file.end(), '\n')) - 2;
            tableFull = tableFull || a.find("index 256") < a.find("--- record file");
        }
        // The churn reached what it is meant to reach.
        EXPECT_GT(recordLines, 0u);
        EXPECT_EQ(tableFull, c.fillsTable);
    }
}

}  // namespace
}  // namespace airtest
