// Matching, dispatch, help and the CLI message entry, driven through real
// message records against a table of recording handlers.
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "qz_platform.h"
#include "qz_test.h"
#include "qz_wlan_shell.h"

namespace {

const std::string kNotFound = "Can't find this command.\r\n\r\n";

// Handler calls: the count and the eight word pointers read as strings, with
// the handler's letter in front of the first word.
std::vector<std::pair<uint32_t, std::vector<std::string>>> g_calls;

template <char kName, uint32_t kResult>
uint32_t Handler(uint32_t argc, char *argv[])
{
    std::vector<std::string> words;
    for (uint32_t i = 0; i < WLAN_DBG_KEYWORD_SLOTS; i++)
        words.emplace_back(argv[i], strnlen(argv[i], WLAN_DBG_KEYWORD_LEN));
    words[0].insert(0, 1, kName);
    g_calls.emplace_back(argc, words);
    return kResult;
}

uint32_t Reg(const char *k1, const char *k2, const char *k3, const char *help, WLAN_DBG_CMD_HANDLER handler)
{
    return WLAN_DBG_RegCmd(k1, k2, k3, nullptr, help, handler);
}

// The letters of the handlers called since the last look.
std::string Called()
{
    std::string letters;
    for (const auto &call : g_calls) letters += call.second[0][0];
    g_calls.clear();
    return letters;
}

class ShellTest : public qztest::PlatformTest {
  protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        g_calls.clear();
        ASSERT_EQ(WLAN_DBG_CmdInit(), 0u);
        g_stCmdTable.count = 0;  // an empty table of the shell's own making
        qzsim::ClearRecords();
    }
};

TEST_F(ShellTest, MatchingDispatchAndHelp)
{
    ASSERT_EQ(Reg("show", "log", nullptr, "show help\r\n", Handler<'s', 0>), 0u);
    ASSERT_EQ(Reg("show", "log", nullptr, nullptr, Handler<'d', 0>), 0u);  // duplicate: unreachable
    ASSERT_EQ(Reg("debug", nullptr, "on", nullptr, Handler<'w', 0>), 0u);  // slot 1 is a wildcard
    ASSERT_EQ(Reg("fail", nullptr, nullptr, "fail help\r\n", Handler<'f', 1>), 0u);
    ASSERT_EQ(Reg("quiet", nullptr, nullptr, nullptr, Handler<'q', 1>), 0u);
    ASSERT_EQ(Reg("?", nullptr, nullptr, nullptr, WLAN_DBG_HelpCmd), 0u);
    ASSERT_EQ(Reg("broken", nullptr, nullptr, "broken help\r\n", Handler<'b', 0>), 0u);
    g_stCmdTable.entries[6].handler = nullptr;  // only a foreign writer can do this
    const std::tuple<const char *, const char *, std::string> cases[] = {
        {"show log", "s", ""},
        {"show log extra", "s", ""},  // more words than keywords: still matches
        {"show", "", kNotFound},      // fewer words than keywords
        {"Show log", "", kNotFound},  // case-sensitive
        {"show lo", "", kNotFound},   // no prefix matching
        {"debug ap on", "w", ""},
        {"debug xyz on", "w", ""},
        {"debug ap off", "", kNotFound},
        {"", "", kNotFound},
        {"fail", "f", "\r\n[Usage]:fail help\r\n\r\n"},  // a failed handler: its usage line
        {"quiet", "q", ""},                              // no help text: nothing more
        {"broken", "", "No function to execute this command.\r\n\r\n"},
        // Help texts in table order; further words fall on wildcard slots.
        {"? x y", "",
         "\r\n---------------- Help --------------\r\n[Usage]:show help\r\n\r\n\r\n[Usage]:fail help\r\n\r\n\r\n"
         "[Usage]:broken help\r\n\r\n\r\n"},
    };
    for (const auto &[line, called, console] : cases) {
        EXPECT_EQ(qztest::RunLine(line), console) << line;
        EXPECT_EQ(Called(), called) << line;
    }
    EXPECT_EQ(qztest::CountLastWords("wlan_debug", 0xF7603002u), 1u);
}

TEST_F(ShellTest, WordsReachingTheHandler)
{
    ASSERT_EQ(Reg("a", nullptr, nullptr, nullptr, Handler<'a', 0>), 0u);
    qztest::RunLine("a b c d e f g h");
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].first, 8u);
    EXPECT_EQ(g_calls[0].second, (std::vector<std::string>{"aa", "b", "c", "d", "e", "f", "g", "h"}));
    // A count above 8 is passed on as the message carries it, not clamped.
    auto msg = qztest::MakeCliMsg(WLAN_CLI_MSG_TYPE_WLANCMD, 200, {"a"});
    EXPECT_EQ(WLAN_CliMsgProc(msg.data(), 0, 0, 0), 0u);
    ASSERT_EQ(g_calls.size(), 2u);
    EXPECT_EQ(g_calls[1].first, 200u);

    // A typed word of 47 characters is matched; one of 48 abandons the line silently.
    const std::string word47(47, 'w');
    g_calls.clear();
    ASSERT_EQ(Reg(word47.c_str(), nullptr, nullptr, nullptr, Handler<'w', 0>), 0u);
    EXPECT_EQ(qztest::RunLine(word47), "");
    EXPECT_EQ(qztest::RunLine(word47 + "w"), "");
    EXPECT_EQ(Called(), "w");
    ASSERT_EQ(qzsim::LastWords().size(), 1u);
    EXPECT_EQ(qzsim::LastWords()[0].file, "wlan_debug");
    // A slot of 48 bytes without any NUL is not read past its end.
    msg = qztest::MakeCliMsg(WLAN_CLI_MSG_TYPE_WLANCMD, {word47});
    memset(&msg[WLAN_CLI_MSG_WORDS_OFFSET], 'z', WLAN_DBG_KEYWORD_LEN);
    EXPECT_EQ(WLAN_CliMsgProc(msg.data(), 0, 0, 0), 0u);
    EXPECT_EQ(qzsim::TakeConsole() + Called(), "");
    EXPECT_EQ(qzsim::LastWords().size(), 2u);
}

TEST_F(ShellTest, RegistrationRefusals)
{
    EXPECT_EQ(Reg(nullptr, "x", nullptr, nullptr, Handler<'x', 0>), 1u);
    EXPECT_EQ(Reg("x", nullptr, nullptr, nullptr, nullptr), 1u);
    EXPECT_EQ(Reg("x", std::string(48, 'k').c_str(), nullptr, nullptr, Handler<'x', 0>), 1u);
    EXPECT_EQ(g_stCmdTable.count, 0u);
    EXPECT_EQ(qzsim::LastWords().size(), 3u);
    for (uint32_t i = 0; i < WLAN_DBG_CMD_MAX; i++) {
        ASSERT_EQ(Reg(("cmd" + std::to_string(i)).c_str(), nullptr, nullptr, nullptr, Handler<'c', 0>), 0u);
    }
    EXPECT_EQ(Reg("one-too-many", nullptr, nullptr, nullptr, Handler<'x', 0>), 1u);
    EXPECT_EQ(g_stCmdTable.count, WLAN_DBG_CMD_MAX);
    EXPECT_EQ(qztest::RunLine("cmd31"), "");
    EXPECT_EQ(Called(), "c");
}

TEST_F(ShellTest, MessageTypesAndAMissingTable)
{
    ASSERT_EQ(Reg("x", nullptr, nullptr, nullptr, Handler<'x', 0>), 0u);
    for (uint32_t type : {0u, 148u, 150u, 1019u, 0xFFFFFFFFu}) {
        auto msg = qztest::MakeCliMsg(type, {"x"});
        EXPECT_EQ(WLAN_CliMsgProc(msg.data(), 0, 0, 0), 0u);
    }
    EXPECT_EQ(qzsim::TakeConsole(), "");
    auto wifi = qztest::MakeCliMsg(WLAN_CLI_MSG_TYPE_WIFICMD, {"x"});
    EXPECT_EQ(WLAN_CliMsgProc(wifi.data(), 7, 33, 44), 0u);
    EXPECT_EQ(Called(), "");
    EXPECT_NE(qzsim::TakeConsole().find("type 1020 (33, 44)"), std::string::npos);

    // Without a table nothing is found or registered.
    qzsim::ClearRecords();
    qztest::FreeCommandTable();
    EXPECT_EQ(qztest::RunLine("x"), kNotFound);
    EXPECT_EQ(Reg("x", nullptr, nullptr, nullptr, Handler<'x', 0>), 1u);
    qzsim::FailAlloc(1);
    EXPECT_EQ(WLAN_DBG_CmdInit(), 1u);
    EXPECT_EQ(g_stCmdTable.count, 0u);
    EXPECT_EQ(g_stCmdTable.entries, nullptr);
    EXPECT_EQ(qztest::CountLastWords("wlan_debug", 1), 2u);
    EXPECT_EQ(qztest::RunLine("?"), kNotFound);
}

}  // namespace
