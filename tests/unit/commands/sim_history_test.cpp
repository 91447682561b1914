// The simulated modules' histories stay bounded however many commands a
// long-running host serves: the displays keep the newest lines only.
#include <string>

#include "commands_fixture.h"
#include "qz_sim_shell.h"

namespace {

using cmdtest::CommandsTest;
using cmdtest::Count;
using qztest::RunLine;

struct HistoryCase {
    const char *name;
    std::string (*line)(int i);  // the i-th command, which adds one history line
    std::string (*id)(int i);    // what tells that line apart in the display
    const char *show;            // the command that displays the history
    size_t kept;
};

std::string RoamMac(int i)
{
    return cmdtest::Mac(0x02aa00000000ull, static_cast<uint64_t>(i));
}

const HistoryCase kHistories[] = {
    {"manual roams", [](int i) { return "debug scn roam " + RoamMac(i) + " 1"; },
     [](int i) { return RoamMac(i) + " to ap"; }, "debug scn show log", 64},
    {"AP watch lines", [](int i) { return "debug ap bssid 505D" + std::to_string(i) + " staidx 7"; },
     [](int i) { return "bssid 505D" + std::to_string(i) + " staidx"; }, "debug ap log", 64},
};

TEST_F(CommandsTest, SiblingHistoriesKeepTheNewestLines)
{
    constexpr int kAdded = 100;
    for (const HistoryCase &c : kHistories) {
        SCOPED_TRACE(c.name);
        for (int i = 0; i < kAdded; i++) ASSERT_EQ(Count(RunLine(c.line(i)), c.id(i)), 1u);
        const std::string shown = RunLine(c.show);
        const int oldest = kAdded - static_cast<int>(c.kept);
        EXPECT_EQ(Count(shown, c.id(oldest - 1)), 0u);
        for (int i = oldest; i < kAdded; i++) EXPECT_EQ(Count(shown, c.id(i)), 1u) << i;
    }
}

TEST_F(CommandsTest, CallRecordKeepsTheNewestCalls)
{
    for (int i = 0; i < 300; i++) (void)RunLine("show topo");
    EXPECT_EQ(qzsim::RpcCalls().size(), 256u);
}

}  // namespace
