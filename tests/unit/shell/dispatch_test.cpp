// Matching, dispatch, help and the CLI message entry, driven through real
// message records against a table of recording handlers.
#include <cstring>
#include <string>
#include <vector>

#include "qz_platform.h"
#include "qz_test.h"
#include "qz_wlan_shell.h"

namespace {

struct Call {
    uint32_t argc;
    std::vector<std::string> words;  // the eight pointers, read as strings
};
std::vector<Call> g_calls;
uint32_t g_result = 0;

uint32_t Recorder(uint32_t argc, char *argv[])
{
    Call call{argc, {}};
    for (uint32_t i = 0; i < WLAN_DBG_KEYWORD_SLOTS; i++) {
        call.words.emplace_back(argv[i], strnlen(argv[i], WLAN_DBG_KEYWORD_LEN));
    }
    g_calls.push_back(call);
    return g_result;
}

uint32_t Other(uint32_t, char *[])
{
    g_calls.push_back(Call{0xFFFF, {"other"}});
    return 0;
}

class ShellTest : public qztest::PlatformTest {
  protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        g_calls.clear();
        g_result = 0;
        qztest::FreeCommandTable();
        // A table of our own, created the way the shell creates it.
        auto *block = static_cast<WLAN_DBG_CMD_ENTRY *>(
            QZ_OS_MemMallocSet(WLAN_DBG_CMD_MAX * sizeof(WLAN_DBG_CMD_ENTRY), __LINE__, "test"));
        g_stCmdTable = WLAN_DBG_CMD_TABLE{0, WLAN_DBG_CMD_MAX, block};
    }
};

TEST_F(ShellTest, FirstMatchingEntryWinsAndWildcardsMatchAnything)
{
    ASSERT_EQ(WLAN_DBG_RegCmd("show", "log", nullptr, nullptr, "show help\r\n", Recorder), 0u);
    ASSERT_EQ(WLAN_DBG_RegCmd("show", "log", nullptr, nullptr, nullptr, Other), 0u);  // duplicate: unreachable
    ASSERT_EQ(WLAN_DBG_RegCmd("debug", nullptr, "on", nullptr, nullptr, Other), 0u);  // slot 1 is a wildcard

    struct Case {
        const char *line;
        size_t recorderCalls;
        size_t otherCalls;
        const char *console;
    } cases[] = {
        {"show log", 1, 0, ""},
        {"show log extra", 1, 0, ""},                            // more words than keywords: still matches
        {"show", 0, 0, "Can't find this command.\r\n\r\n"},      // fewer words than keywords
        {"Show log", 0, 0, "Can't find this command.\r\n\r\n"},  // case-sensitive
        {"show lo", 0, 0, "Can't find this command.\r\n\r\n"},   // no prefix matching
        {"debug ap on", 0, 1, ""},
        {"debug xyz on", 0, 1, ""},
        {"debug ap off", 0, 0, "Can't find this command.\r\n\r\n"},
        {"", 0, 0, "Can't find this command.\r\n\r\n"},
    };
    for (const auto &c : cases) {
        g_calls.clear();
        EXPECT_EQ(qztest::RunLine(c.line), c.console) << c.line;
        size_t recorder = 0, other = 0;
        for (const auto &call : g_calls) (call.argc == 0xFFFF ? other : recorder)++;
        EXPECT_EQ(recorder, c.recorderCalls) << c.line;
        EXPECT_EQ(other, c.otherCalls) << c.line;
    }
}

TEST_F(ShellTest, HandlerGetsTheFullCountAndAllWords)
{
    ASSERT_EQ(WLAN_DBG_RegCmd("a", nullptr, nullptr, nullptr, nullptr, Recorder), 0u);
    qztest::RunLine("a b c d e f g h");
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].argc, 8u);
    EXPECT_EQ(g_calls[0].words[4], "e");
    EXPECT_EQ(g_calls[0].words[7], "h");

    // A count above 8 is passed on as the message carries it, not clamped.
    g_calls.clear();
    auto msg = qztest::MakeCliMsg(WLAN_CLI_MSG_TYPE_WLANCMD, 200, {"a"});
    EXPECT_EQ(WLAN_CliMsgProc(msg.data(), 0, 0, 0), 0u);
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].argc, 200u);
}

TEST_F(ShellTest, TypedWordLengthLimit)
{
    const std::string word47(47, 'w');
    ASSERT_EQ(WLAN_DBG_RegCmd(word47.c_str(), nullptr, nullptr, nullptr, nullptr, Recorder), 0u);
    EXPECT_EQ(qztest::RunLine(word47), "");
    EXPECT_EQ(g_calls.size(), 1u);

    g_calls.clear();
    EXPECT_EQ(qztest::RunLine(word47 + "w"), "");  // 48 characters: abandoned silently
    EXPECT_TRUE(g_calls.empty());
    EXPECT_EQ(qzsim::LastWords().size(), 1u);
    EXPECT_EQ(qzsim::LastWords()[0].file, "wlan_debug");

    // A slot of 48 bytes without any NUL is not read past its end.
    auto msg = qztest::MakeCliMsg(WLAN_CLI_MSG_TYPE_WLANCMD, {word47});
    memset(&msg[WLAN_CLI_MSG_WORDS_OFFSET], 'z', WLAN_DBG_KEYWORD_LEN);
    EXPECT_EQ(WLAN_CliMsgProc(msg.data(), 0, 0, 0), 0u);
    EXPECT_EQ(qzsim::TakeConsole(), "");
    EXPECT_EQ(qzsim::LastWords().size(), 2u);
}

TEST_F(ShellTest, UsageLineAfterAFailedHandler)
{
    ASSERT_EQ(WLAN_DBG_RegCmd("fail", nullptr, nullptr, nullptr, "fail help\r\n", Recorder), 0u);
    ASSERT_EQ(WLAN_DBG_RegCmd("?", nullptr, nullptr, nullptr, nullptr, Recorder), 0u);
    g_result = 1;
    EXPECT_EQ(qztest::RunLine("fail"), "\r\n[Usage]:fail help\r\n\r\n");
    EXPECT_EQ(qztest::RunLine("?"), "");  // no help text: nothing more
}

TEST_F(ShellTest, HelpListsHelpTextsInTableOrder)
{
    ASSERT_EQ(WLAN_DBG_RegCmd("?", nullptr, nullptr, nullptr, nullptr, WLAN_DBG_HelpCmd), 0u);
    ASSERT_EQ(WLAN_DBG_RegCmd("b", nullptr, nullptr, nullptr, "second\r\n", Recorder), 0u);
    ASSERT_EQ(WLAN_DBG_RegCmd("a", nullptr, nullptr, nullptr, "first\r\n", Recorder), 0u);
    const std::string expected =
        "\r\n---------------- Help --------------\r\n[Usage]:second\r\n\r\n\r\n[Usage]:first\r\n\r\n\r\n";
    EXPECT_EQ(qztest::RunLine("? x y"), expected);  // further words fall on wildcard slots
}

TEST_F(ShellTest, RegistrationRefusals)
{
    EXPECT_EQ(WLAN_DBG_RegCmd(nullptr, "x", nullptr, nullptr, nullptr, Recorder), 1u);
    EXPECT_EQ(WLAN_DBG_RegCmd("x", nullptr, nullptr, nullptr, nullptr, nullptr), 1u);
    EXPECT_EQ(WLAN_DBG_RegCmd("x", std::string(48, 'k').c_str(), nullptr, nullptr, nullptr, Recorder), 1u);
    EXPECT_EQ(g_stCmdTable.count, 0u);
    EXPECT_EQ(qzsim::LastWords().size(), 3u);

    for (uint32_t i = 0; i < WLAN_DBG_CMD_MAX; i++) {
        std::string word = "cmd" + std::to_string(i);
        ASSERT_EQ(WLAN_DBG_RegCmd(word.c_str(), nullptr, nullptr, nullptr, nullptr, Recorder), 0u);
    }
    EXPECT_EQ(WLAN_DBG_RegCmd("one-too-many", nullptr, nullptr, nullptr, nullptr, Recorder), 1u);
    EXPECT_EQ(g_stCmdTable.count, WLAN_DBG_CMD_MAX);
    EXPECT_EQ(qztest::RunLine("cmd31"), "");
    EXPECT_EQ(g_calls.size(), 1u);
}

TEST_F(ShellTest, EntryWithoutHandlerIsReported)
{
    ASSERT_EQ(WLAN_DBG_RegCmd("x", nullptr, nullptr, nullptr, "help\r\n", Recorder), 0u);
    g_stCmdTable.entries[0].handler = nullptr;  // only a foreign writer can do this
    EXPECT_EQ(qztest::RunLine("x"), "No function to execute this command.\r\n\r\n");
    EXPECT_EQ(qztest::CountLastWords("wlan_debug", 0xF7603002u), 1u);
}

TEST_F(ShellTest, MessageTypes)
{
    ASSERT_EQ(WLAN_DBG_RegCmd("x", nullptr, nullptr, nullptr, nullptr, Recorder), 0u);
    for (uint32_t type : {0u, 148u, 150u, 1019u, 0xFFFFFFFFu}) {
        auto msg = qztest::MakeCliMsg(type, {"x"});
        EXPECT_EQ(WLAN_CliMsgProc(msg.data(), 0, 0, 0), 0u);
    }
    EXPECT_TRUE(g_calls.empty());
    EXPECT_EQ(qzsim::TakeConsole(), "");

    auto wifi = qztest::MakeCliMsg(WLAN_CLI_MSG_TYPE_WIFICMD, {"x"});
    EXPECT_EQ(WLAN_CliMsgProc(wifi.data(), 7, 33, 44), 0u);
    EXPECT_TRUE(g_calls.empty());
    EXPECT_NE(qzsim::TakeConsole().find("type 1020 (33, 44)"), std::string::npos);
}

TEST_F(ShellTest, WithoutTableNothingIsFoundOrRegistered)
{
    qztest::FreeCommandTable();
    EXPECT_EQ(qztest::RunLine("show log"), "Can't find this command.\r\n\r\n");
    EXPECT_EQ(WLAN_DBG_RegCmd("x", nullptr, nullptr, nullptr, nullptr, Recorder), 1u);

    qzsim::FailAlloc(1);
    EXPECT_EQ(WLAN_DBG_CmdInit(), 1u);
    EXPECT_EQ(g_stCmdTable.count, 0u);
    EXPECT_EQ(g_stCmdTable.entries, nullptr);
    EXPECT_EQ(qztest::CountLastWords("wlan_debug", 1), 2u);
    EXPECT_EQ(qztest::RunLine("?"), "Can't find this command.\r\n\r\n");
}

}  // namespace
