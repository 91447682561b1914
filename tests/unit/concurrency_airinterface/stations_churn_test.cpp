// Stations join, leave and change traffic from another thread while the
// platform's timer thread runs air-interface cycles: the table always ends up
// matching the stations once the churn stops.
#include <set>
#include <string>

#include "qz_air_test.h"

namespace airtest {
namespace {

using StationChurnTest = AirTest;

TEST_F(StationChurnTest, TableMatchesTheStationsAfterChurnUnderTheTimerThread)
{
    Init();
    qzsim::StartTimerThread(1);
    std::set<std::string> present;
    std::string error;
    for (int round = 0; round < 400; round++) {
        char mac[18];
        snprintf(mac, sizeof(mac), "02:00:00:00:%02x:%02x", round % 3, round % 64);  // 192 MACs: within the table
        if (present.count(mac) != 0 && round % 3 == 0) {
            ASSERT_TRUE(qzsim::RemoveStation(mac, &error)) << error;
            present.erase(mac);
        } else if (present.count(mac) != 0) {
            ASSERT_TRUE(qzsim::SetStationKey(mac, "ssid", std::to_string(round % 8), &error)) << error;
            ASSERT_TRUE(qzsim::SetStationKey(mac, "bytesPerCycle", std::to_string(round * 100000), &error)) << error;
        } else {
            ASSERT_TRUE(qzsim::AddStation(mac, round % 8, kAboveThreshold, &error)) << error;
            present.insert(mac);
        }
    }
    qzsim::StopTimerThread();
    qzsim::RunTimerCycles(1);
    EXPECT_EQ(SlotsInUse(), present.size());
    for (const auto &mac : present) EXPECT_NE(Slot(mac), nullptr) << mac;
}

}  // namespace
}  // namespace airtest
