// What a session cannot reach: registration refusals, an entry without
// handler, the words and count a handler receives, a word that overflows its
// slot, other message types and a table that was never created.
#include <cstring>
#include <string>
#include <vector>

#include "qz_test.h"
#include "qz_wlan_shell.h"

namespace {

uint32_t g_argc = 0;
std::vector<std::string> g_words;

uint32_t Record(uint32_t argc, char *argv[])
{
    g_argc = argc;
    g_words.assign(argv, argv + 8);  // the slots the message carries, all eight
    return 0;
}

uint32_t Reg(const char *k1, const char *k2, WLAN_DBG_CMD_HANDLER handler)
{
    return WLAN_DBG_RegCmd(k1, k2, nullptr, nullptr, nullptr, handler);
}

class ShellTest : public qztest::PlatformTest {
  protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        ASSERT_EQ(WLAN_DBG_CmdInit(), 0u);
        g_stCmdTable.count = 0;  // an empty table of the shell's own making
        qzsim::ClearRecords();
    }
};

TEST_F(ShellTest, RegistrationRefusalsAndAFullTable)
{
    EXPECT_EQ(Reg(nullptr, "x", Record) + Reg("x", nullptr, nullptr), 2u);
    EXPECT_EQ(Reg("x", std::string(48, 'k').c_str(), Record), 1u);  // 47 characters and the NUL fit a slot
    EXPECT_EQ(qzsim::LastWords().size(), 3u);
    for (int i = 0; i < 32; i++) ASSERT_EQ(Reg(("cmd" + std::to_string(i)).c_str(), nullptr, Record), 0u);
    EXPECT_EQ(Reg("one-too-many", nullptr, Record), 1u);  // the table holds the whole catalogue: 32
    EXPECT_EQ(g_stCmdTable.count, 32u);
    EXPECT_EQ(qztest::RunLine("cmd31"), "");
    g_stCmdTable.entries[31].handler = [](uint32_t, char *[]) { return 1u; };
    EXPECT_EQ(qztest::RunLine("cmd31"), "");  // failed, but no help text to show
}

TEST_F(ShellTest, HandlerWordsAnEntryWithoutHandlerAndAnOverlongWord)
{
    ASSERT_EQ(Reg("a", nullptr, Record), 0u);
    qztest::RunLine("a b c d e f g h");
    EXPECT_EQ(g_argc, 8u);
    EXPECT_EQ(g_words, (std::vector<std::string>{"a", "b", "c", "d", "e", "f", "g", "h"}));
    auto msg = qztest::MakeCliMsg(149, {"a"}, 200);  // the count is passed on as carried, not clamped
    EXPECT_EQ(WLAN_CliMsgProc(msg.data(), 0, 0, 0), 0u);
    EXPECT_EQ(g_argc, 200u);

    ASSERT_EQ(Reg("broken", nullptr, Record), 0u);
    g_stCmdTable.entries[1].handler = nullptr;  // only a foreign writer can do this
    EXPECT_EQ(qztest::RunLine("broken"), "No function to execute this command.\r\n\r\n");
    EXPECT_EQ(qztest::CountLastWords("wlan_debug", 0xF7603002u), 1u);
    // A slot of 48 bytes without any NUL: the line is dropped silently.
    g_argc = 0;
    msg = qztest::MakeCliMsg(149, {std::string(48, 'a')});
    EXPECT_EQ(WLAN_CliMsgProc(msg.data(), 0, 0, 0), 0u);
    EXPECT_EQ(qzsim::TakeConsole(), "");
    EXPECT_EQ(g_argc, 0u);
    EXPECT_EQ(qzsim::LastWords().size(), 2u);
}

TEST_F(ShellTest, MessageTypesAndAMissingTable)
{
    ASSERT_EQ(Reg("x", nullptr, Record), 0u);
    for (uint32_t type : {0u, 148u, 150u, 1019u, 0xFFFFFFFFu}) {
        auto msg = qztest::MakeCliMsg(type, {"x"});
        EXPECT_EQ(WLAN_CliMsgProc(msg.data(), 0, 0, 0), 0u);
    }
    auto wifi = qztest::MakeCliMsg(1020, {"x"});
    EXPECT_EQ(WLAN_CliMsgProc(wifi.data(), 7, 33, 44), 0u);
    EXPECT_EQ(g_argc, 0u);
    EXPECT_NE(qzsim::TakeConsole().find("type 1020 (33, 44)"), std::string::npos);  // the CLI module got it

    qzsim::ClearRecords();
    qztest::FreeCommandTable();
    EXPECT_EQ(qztest::RunLine("x"), "Can't find this command.\r\n\r\n");
    EXPECT_EQ(Reg("x", nullptr, Record), 1u);
    qzsim::FailAlloc(1);
    EXPECT_EQ(WLAN_DBG_CmdInit(), 1u);
    EXPECT_EQ(g_stCmdTable.entries, nullptr);
    EXPECT_EQ(qztest::CountLastWords("wlan_debug", 1), 2u);
}

}  // namespace
