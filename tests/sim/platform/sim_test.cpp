// The simulated platform: the product profile, whose refusals name the key
// and leave the loaded profile whole (missing keys take their defaults), and
// shell commands in the sandbox, where the library's absolute paths land below
// the root and system programs keep their own paths. A station's keys are
// refused by the same code at .station (pinned by the host session), and an
// archive's member names by the air-interface session.
#include <tuple>

#include "qz_platform.h"
#include "qz_sim_service.h"
#include "qz_test.h"

namespace {

using qzsim::json;

using SimTest = qztest::PlatformTest;

TEST_F(SimTest, RefusalsNameTheKeyAndLeaveTheLoadedProfileWhole)
{
    const std::pair<const char *, const char *> cases[] = {
        {R"([1, 2])", "profile: must be a JSON object"},
        {R"({"colour": 1})", "colour: unknown key"},
        {R"({"device": {"region": 2, "colour": "red"}})", "device.colour: unknown key"},
        {R"({"device": {"region": true}})", "device.region: must be an integer"},
        {R"({"device": {"productName": 5}})", "device.productName: must be a string"},
        {R"({"device": []})", "device: must be an object"},
        {R"({"wlan": {"radios": "two"}})", "wlan.radios: must be an integer"},
        {R"({"wlan": {"radios": 4}})", "wlan.radios: out of range [0, 3]"},
        {R"({"wlan": {"staNumMax": 2.5}})", "wlan.staNumMax: must be an integer"},
        {R"({"wlan": {"ssids": [{"index": 8}]}})", "wlan.ssids[0].index: out of range [0, 7]"},
        {R"({"wlan": {"ssids": [{"index": 1}, {"channel": 6}]}})", "wlan.ssids[1].index: required"},
        {R"({"wlan": {"ssids": [{"index": 0, "bssid": "02:00:00:00:01"}]}})", "wlan.ssids[0].bssid: not a MAC"},
        {R"({"wlan": {"ssids": [{"index": 0, "configured": 1}]}})", "wlan.ssids[0].configured: must be true or false"},
        {R"({"stations": {}})", "stations: must be an array"},
        {R"({"features": {"FT_A": 1.5}})", "features.FT_A: must be an integer"},
        {R"({"features": {"FT_A": 2147483648}})", "features.FT_A: out of range"},
        {R"({"timezone": "Mars/Olympus_Mons"})", "timezone: unknown zone"},
        {R"({"timezone": "../../etc/passwd"})", "timezone: unknown zone"},
        {R"({"fitApMode": -1})", "fitApMode: out of range"},
        {R"({"fitApMode": "1"})", "fitApMode: must be an integer"},
        {R"({"ownApInst": 256})", "ownApInst: out of range [0, 255]"},
    };
    for (const auto &[profile, expected] : cases) {
        std::string error;
        EXPECT_FALSE(qzsim::LoadProfileJson(json::parse(profile), &error)) << profile;
        EXPECT_EQ(error.rfind(expected, 0), 0u) << profile << " -> " << error;
    }

    std::string error;
    ASSERT_TRUE(qzsim::LoadProfileJson(
        json::parse(R"({"fitApMode": 1, "ownApInst": 7, "features": {"FT_A": 1}, "timezone": "UTC"})"), &error))
        << error;
    qzsim::FixClock(0, 0);
    // The profile's values as the platform answers them; the hour at the epoch.
    auto state = [] {
        struct tm now {};
        EXPECT_EQ(QZ_OS_GetLocalTime(&now), 0u);
        return std::make_tuple(qzsim::ProfileFitApMode(), qzsim::ProfileOwnApInst(),
                               QZ_Feature_IsSupportByFeatureName("FT_A"), now.tm_hour);
    };
    // Every section is valid but the last key of the stations: still UTC, not UTC+8.
    EXPECT_FALSE(qzsim::LoadProfileJson(json::parse(R"({"fitApMode": 0, "ownApInst": 9, "features": {"FT_A": 0},
        "timezone": "Asia/Shanghai", "stations": [{"mac": "a0:b1:c2:d3:e4:f5", "powerSave": 256}]})"),
                                        &error));
    EXPECT_EQ(state(), std::make_tuple(1u, 7u, 1, 0));
    // A valid profile without those keys takes every default (Asia/Shanghai).
    ASSERT_TRUE(qzsim::LoadProfileJson(json::object(), &error)) << error;
    EXPECT_EQ(state(), std::make_tuple(0u, 0u, 0, 8));
}

uint32_t RunShell(const char *command)
{
    char buf[1020];
    EXPECT_GT(QZ_OS_CmdFormat(buf, "%s", command), 0);
    SSP_EXEC_OPT_S opt = {0, 1, 0};
    return SSP_ExecShellCmd(&opt, buf, 0);
}

TEST_F(SimTest, AbsolutePathsAreMappedBelowTheRootAndFaults)
{
    // The command, and the file below the root with what it holds after.
    const std::tuple<const char *, const char *, const char *> cases[] = {
        {"echo one > /var/a", "/var/a", "one\n"},
        {"/bin/echo two >/var/b", "/var/b", "two\n"},
        {"echo three | /usr/bin/tee '/var/c' >/dev/null", "/var/c", "three\n"},
        {"echo x/var/y > /var/d", "/var/d", "x/var/y\n"},  // a slash inside a word stays
    };
    for (const auto &[command, file, content] : cases) {
        EXPECT_EQ(RunShell(command), 0u) << command;
        EXPECT_EQ(qztest::ReadFile(Under(file)), content) << command;
    }
    EXPECT_NE(RunShell("cat /var/missing 2>/dev/null"), 0u);

    // A command of 1020 bytes does not fit with its NUL; an injected fault answers once.
    char buf[1020];
    EXPECT_LT(QZ_OS_CmdFormat(buf, "%s", std::string(1020, 'x').c_str()), 0);
    EXPECT_STREQ(buf, "");
    qzsim::FailCall("SSP_ExecShellCmd", 7);
    EXPECT_EQ(RunShell("true"), 7u);
    EXPECT_EQ(RunShell("true"), 0u);
}

}  // namespace
