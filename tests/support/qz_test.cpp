#include "qz_test.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

extern char **environ;

#include "qz_platform.h"
#include "qz_wlan_shell.h"

namespace qztest {

void PlatformTest::SetUp()
{
    char templ[] = "/tmp/qz_wlan_test.XXXXXX";
    ASSERT_NE(mkdtemp(templ), nullptr);
    root_ = templ;
    std::string error;
    ASSERT_TRUE(qzsim::SetRoot(root_, &error)) << error;
    qzsim::Reset();
    qzsim::CaptureConsole(true);
}

void PlatformTest::TearDown()
{
    FreeCommandTable();
    qzsim::Reset();
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
}

std::vector<unsigned char> MakeCliMsg(uint32_t type, const std::vector<std::string> &words, int64_t carried)
{
    std::vector<unsigned char> msg(WLAN_CLI_MSG_SIZE, 0xA5);  // bytes the shell must not read stay noisy
    const auto count = static_cast<uint32_t>(carried < 0 ? static_cast<int64_t>(words.size()) : carried);
    memcpy(&msg[WLAN_CLI_MSG_TYPE_OFFSET], &type, sizeof(type));
    memcpy(&msg[WLAN_CLI_MSG_COUNT_OFFSET], &count, sizeof(count));
    for (size_t i = 0; i < WLAN_DBG_KEYWORD_SLOTS; i++) {
        unsigned char *slot = &msg[WLAN_CLI_MSG_WORDS_OFFSET + i * WLAN_DBG_KEYWORD_LEN];
        memset(slot, 0, WLAN_DBG_KEYWORD_LEN);
        if (i < words.size()) {
            memcpy(slot, words[i].data(), std::min<size_t>(words[i].size(), WLAN_DBG_KEYWORD_LEN));
        }
    }
    return msg;
}

std::string RunLine(const std::string &line)
{
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    auto msg = MakeCliMsg(WLAN_CLI_MSG_TYPE_WLANCMD, words);
    (void)qzsim::TakeConsole();
    EXPECT_EQ(WLAN_CliMsgProc(msg.data(), 0, 0, 0), 0u);
    return qzsim::TakeConsole();
}

void FreeCommandTable()
{
    QZ_OS_MemFreeD(g_stCmdTable.entries, "test", __LINE__);
    memset(&g_stCmdTable, 0, sizeof(g_stCmdTable));
}

size_t CountLastWords(const std::string &unit, uint32_t code)
{
    size_t n = 0;
    for (const auto &lw : qzsim::LastWords()) n += (lw.file == unit && lw.code == code) ? 1 : 0;
    return n;
}

std::string ReadFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool Emulated()
{
    return QZ_TEST_EMULATOR[0] != '\0';
}

pid_t SpawnProgram(const std::string &name, const std::vector<std::string> &args,
                   const posix_spawn_file_actions_t *actions)
{
    // The emulator's words (blank-separated) come first; empty natively.
    std::vector<std::string> words;
    std::istringstream emulator(QZ_TEST_EMULATOR);
    for (std::string w; emulator >> w;) words.push_back(w);
    words.push_back(std::string(QZ_BINARY_DIR) + "/bin/" + name);
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char *> argv;
    for (auto &w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    int err = EAGAIN;
    // Short of tasks for a moment (a process limit) while other tests' programs end.
    for (int tries = 0; err == EAGAIN && tries < 500; tries++) {
        if (tries > 0) usleep(10000);
        err = posix_spawnp(&pid, argv[0], actions, nullptr, argv.data(), environ);
    }
    EXPECT_EQ(err, 0) << argv[0] << ": " << strerror(err);
    return err == 0 ? pid : -1;
}

int WaitExit(pid_t pid)
{
    int raw = 0;
    if (pid <= 0 || waitpid(pid, &raw, 0) != pid) return -1;
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
}

}  // namespace qztest
