// A WLAN service's test program, as a user of libqz_wlan_base writes one: the
// library runs over the simulated gateway platform in a temporary sandbox,
// starts up as the service starts it, and gets a command line the way the
// gateway's front end delivers one, as a CLI message record.
#include <qz_sim.h>
#include <qz_wlan_feature.h>
#include <qz_wlan_log.h>
#include <qz_wlan_shell.h>
#include <qz_wlan_util.h>
#include <qz_wlan_version.h>
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

int g_failures = 0;

void Check(bool ok, const std::string &what)
{
    printf("%s: %s\n", ok ? "ok" : "FAILED", what.c_str());
    if (!ok) g_failures++;
}

// The record as documented: the message type at byte 36, the word count at
// byte 88, then eight 48-byte word slots from byte 92, native byte order.
std::vector<unsigned char> CliRecord(const std::vector<std::string> &words)
{
    std::vector<unsigned char> record(92 + 8 * 48, 0);
    const uint32_t type = 149;  // a wlancmd line
    const auto count = static_cast<uint32_t>(words.size());
    memcpy(&record[36], &type, sizeof type);
    memcpy(&record[88], &count, sizeof count);
    for (size_t i = 0; i < words.size(); i++) memcpy(&record[92 + 48 * i], words[i].data(), words[i].size());
    return record;
}

std::string RunLine(const std::vector<std::string> &words)
{
    std::vector<unsigned char> record = CliRecord(words);
    WLAN_CliMsgProc(record.data(), 0, 0, 0);
    return qzsim::TakeConsole();
}

}  // namespace

int main()
{
    char dir[] = "/tmp/qz-consumer-XXXXXX";
    if (mkdtemp(dir) == nullptr) {
        perror("mkdtemp");
        return 2;
    }
    std::string error;
    if (!qzsim::SetRoot(dir, &error)) {
        fprintf(stderr, "sandbox root %s: %s\n", dir, error.c_str());
        return 2;
    }
    qzsim::CaptureConsole(true);
    printf("libqz_wlan_base %s\n", QZ_WLAN_BASE_VERSION_STRING);

    Check(WLAN_CMD_LogInit() == 0, "WLAN_CMD_LogInit answers 0");
    Check(WLAN_DBG_CmdInit() == 0, "WLAN_DBG_CmdInit answers 0");
    Check(WLAN_FT_Init() == 0, "WLAN_FT_Init answers 0");
    qzsim::TakeConsole();

    std::string out = RunLine({"show", "log"});
    Check(out.find("wlancmd show log success!") != std::string::npos, "\"show log\" prints its success line");
    out = RunLine({"no-such-command"});
    Check(out.find("Can't find this command.") != std::string::npos, "an unknown command is refused");

    // The converter the platform maps at /lib/libiconv.so: GBK "ni hao".
    char utf8[16] = {};
    Check(WLAN_ForceToEncodeUtf8("\xC4\xE3\xBA\xC3", utf8, sizeof utf8) == 0 &&
              strcmp(utf8, "\xE4\xBD\xA0\xE5\xA5\xBD") == 0,
          "GBK text converts to UTF-8");

    std::string cleanup = std::string("rm -rf '") + dir + "'";
    if (system(cleanup.c_str()) != 0) fprintf(stderr, "could not remove %s\n", dir);
    printf("%s\n", g_failures == 0 ? "consumer: all passed" : "consumer: FAILED");
    return g_failures == 0 ? 0 : 1;
}
