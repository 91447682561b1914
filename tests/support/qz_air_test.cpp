#include "qz_air_test.h"

#include <cstdio>

#include "qz_platform.h"

namespace airtest {

void AirTest::ForgetState()
{
    QZ_OS_MemFreeD(g_pstAirUserTable, "test", 0);
    QZ_OS_MemFreeD(g_pstAirUserSample, "test", 0);
    g_pstAirUserTable = nullptr;
    g_pstAirUserSample = nullptr;
    g_airInterfaceTimer = 0;
    wlan_air::isExist = 0;
    wlan_air::lineNum = 0;
}

void AirTest::SetUp()
{
    PlatformTest::SetUp();
    ForgetState();
}

void AirTest::TearDown()
{
    ForgetState();
    EXPECT_EQ(qzsim::LiveBlocks(), 0u);
    PlatformTest::TearDown();
}

void AirTest::Init()
{
    ASSERT_EQ(WLAN_InitAirInterface(), 0u);
}

void AirTest::AddStation(const std::string &mac, uint32_t ssid, uint64_t bytesPerCycle)
{
    std::string error;
    ASSERT_TRUE(qzsim::AddStation(mac, ssid, bytesPerCycle, &error)) << error;
}

const WLAN_AIR_USER_S *AirTest::Slot(const std::string &mac) const
{
    for (const auto &u : g_pstAirUserTable->users) {
        if (u.isOnline == 1 && mac == u.userMac) return &u;
    }
    return nullptr;
}

uint32_t AirTest::SlotsInUse() const
{
    uint32_t n = 0;
    for (const auto &u : g_pstAirUserTable->users) n += u.isOnline;
    return n;
}

WLAN_AIR_USER_S *AirTest::PutAnchor(uint32_t i, const std::string &mac, int32_t rssi, uint32_t txRate, uint32_t rxRate,
                                    uint8_t powerSave)
{
    WLAN_AIR_USER_S *u = &g_pstAirUserTable->users[i];
    *u = WLAN_AIR_USER_S{};
    snprintf(u->userMac, sizeof(u->userMac), "%s", mac.c_str());
    u->isAnchor = 1;
    u->isOnline = 1;
    u->checkCount = 20;
    u->rssi = rssi;
    u->txRate = txRate;
    u->rxRate = rxRate;
    u->powerSave = powerSave;
    return u;
}

}  // namespace airtest
