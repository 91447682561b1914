// Shell commands run in the sandbox: the library's absolute paths land below
// the root, system programs keep their own paths.
#include <tuple>

#include "qz_platform.h"
#include "qz_test.h"

namespace {

using ShellCommand = qztest::PlatformTest;

uint32_t RunShell(const char *command)
{
    char buf[1020];
    EXPECT_GT(QZ_OS_CmdFormat(buf, "%s", command), 0);
    SSP_EXEC_OPT_S opt = {0, 1, 0};
    return SSP_ExecShellCmd(&opt, buf, 0);
}

TEST_F(ShellCommand, AbsolutePathsAreMappedBelowTheRootAndFaults)
{
    // The command, and the file below the root with what it holds after.
    const std::tuple<const char *, const char *, const char *> cases[] = {
        {"echo one > /var/a", "/var/a", "one\n"},
        {"/bin/echo two >/var/b", "/var/b", "two\n"},
        {"echo three | /usr/bin/tee '/var/c' >/dev/null", "/var/c", "three\n"},
        {"cat /var/a /var/b > /tmp/ab", "/tmp/ab", "one\ntwo\n"},
        {"echo x/var/y > /var/d", "/var/d", "x/var/y\n"},  // a slash inside a word stays
    };
    for (const auto &[command, file, content] : cases) {
        EXPECT_EQ(RunShell(command), 0u) << command;
        EXPECT_EQ(qztest::ReadFile(Under(file)), content) << command;
    }
    EXPECT_NE(RunShell("cat /var/missing 2>/dev/null"), 0u);
    EXPECT_EQ(RunShell("tar -czf /var/a.tar.gz /var/a && tar -tzf /var/a.tar.gz > /var/list"), 0u);
    EXPECT_EQ(qztest::ReadFile(Under("/var/list")), "var/a\n");

    // A command of 1020 bytes does not fit with its NUL; an injected fault answers once.
    char buf[1020];
    EXPECT_LT(QZ_OS_CmdFormat(buf, "%s", std::string(1020, 'x').c_str()), 0);
    EXPECT_STREQ(buf, "");
    qzsim::FailCall("SSP_ExecShellCmd", 7);
    EXPECT_EQ(RunShell("true"), 7u);
    EXPECT_EQ(RunShell("true"), 0u);
}

}  // namespace
