// Every command of the full catalogue with word slots that hold no
// terminator: a word filling its 48-byte slot, and every slot after it full
// too, so that a handler reading past its word runs off the end of the
// record, which sits in a heap block of exactly its 476 bytes (caught under
// AddressSanitizer). Such a line is refused, never read past.
#include <cstring>
#include <string>
#include <vector>

#include "commands_fixture.h"

namespace {

using cmdtest::CommandsTest;

// Each command in its forms with arguments (the command list of the docs).
const char *const kLines[] = {"?",
                              "show log",
                              "clear log",
                              "debug ap on",
                              "debug ap log",
                              "debug ap bssid 50:5d:00:00:00:01 staidx 12",
                              "debug scn show sta",
                              "debug scn show friend_sta",
                              "debug scn roam aa:bb:cc:dd:ee:01 3",
                              "debug scn thresh 100",
                              "debug scn dfx on",
                              "debug scn addFriend 1 aa:bb:cc:dd:ee:01",
                              "debug roam 11k disable",
                              "debug rsvd 1",
                              "debug trig",
                              "show relation neighbor",
                              "scen fix home",
                              "scen get",
                              "check node",
                              "show xlinkerrlog",
                              "clear xlinkerrlog",
                              "show apledlog",
                              "clear apledlog",
                              "show topo",
                              "show vitranslog",
                              "master show",
                              "-i wl0 assoclist",
                              "-i wl0 rssi aa:bb:cc:dd:ee:01"};

constexpr size_t kRecordSize = 476, kWordsAt = 92, kSlot = 48, kSlots = 8;

std::vector<std::string> Words(const std::string &line)
{
    std::vector<std::string> words;
    for (size_t pos = 0; pos < line.size();) {
        size_t end = line.find(' ', pos);
        if (end == std::string::npos) end = line.size();
        words.push_back(line.substr(pos, end - pos));
        pos = end + 1;
    }
    return words;
}

// The line's record with slots `from` to the last filled with `fill`.
std::vector<unsigned char> Unterminated(const std::string &line, size_t from, char fill)
{
    std::vector<std::string> words = Words(line);
    std::vector<unsigned char> record = qztest::MakeCliMsg(149, words);
    EXPECT_EQ(record.size(), kRecordSize);
    memset(&record[kWordsAt + from * kSlot], fill, (kSlots - from) * kSlot);
    return record;
}

class UnterminatedWordsTest : public CommandsTest {
  protected:
    void SetUp() override
    {
        CommandsTest::SetUp();
        std::string error;
        ASSERT_TRUE(qzsim::LoadProfileFile(QZ_SOURCE_DIR "/profiles/mesh-demo.json", &error)) << error;
        Install(true, true);
    }
    std::string Run(const std::vector<unsigned char> &record)
    {
        // A copy in a block of the record's own size: nothing beyond it.
        std::vector<unsigned char> exact(record);
        exact.shrink_to_fit();
        (void)qzsim::TakeConsole();
        EXPECT_EQ(WLAN_CliMsgProc(exact.data(), 0, 0, 0), 0u);
        return qzsim::TakeConsole();
    }
};

TEST_F(UnterminatedWordsTest, EveryCommandWithEverySlotFromEachWordOnFull)
{
    // Digits and hex letters, so that number and MAC parsers go on reading.
    for (char fill : {'1', 'a'}) {
        for (const char *line : kLines) {
            for (size_t from = 0; from < kSlots; from++) {
                SCOPED_TRACE(std::string(line) + ", slots " + std::to_string(from) + " to 7 full of " + fill);
                Run(Unterminated(line, from, fill));
            }
        }
    }
}

TEST_F(UnterminatedWordsTest, SiblingHandlersRefuseTheWordWithTheirUsage)
{
    const std::string apUsage =
        "\r\n[Usage]:wlancmd debug ap: [Usage]wlancmd debug ap {on|off|log|bssid 505D.. staidx 12}\r\n\r\n";
    const std::string scnUsage = "\r\n[Usage]:wlancmd debug scn: [Usage]wlancmd debug scn ...}\r\n\r\n";
    // The two found reading past the record: the station index, the AP number.
    EXPECT_EQ(Run(Unterminated("debug ap bssid 50:5d:00:00:00:01 staidx 12", 5, '1')), apUsage);
    EXPECT_EQ(Run(Unterminated("debug scn roam aa:bb:cc:dd:ee:01 3", 4, '1')), scnUsage);
    EXPECT_EQ(Run(Unterminated("debug scn thresh 100", 3, '1')).find("threshold"), std::string::npos);
    // Terminated, the same lines are taken.
    EXPECT_EQ(qztest::RunLine("debug ap bssid 50:5d:00:00:00:01 staidx 12"),
              "watch bssid 50:5d:00:00:00:01 staidx 12\r\n");
}

}  // namespace
