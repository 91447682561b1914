// Passwords and their shuffle (the random source scripted), the keyed
// scrambler and the character-set helpers.
#include <cstring>
#include <deque>
#include <tuple>

#include "qz_sim_util.h"
#include "util/wlan_base_internal.h"
#include "util_test.h"

namespace {

using utiltest::Dest;

using PwdTest = qztest::PlatformTest;

// OS_GetRandomEx answers these words in turn, then 0 (or this word forever).
void Script(std::deque<uint32_t> words, bool repeat = false)
{
    qzsim::SetRandomSource([words, repeat](uint8_t *buf, size_t) mutable {
        uint32_t w = words.empty() ? 0 : words.front();
        if (!words.empty() && !repeat) words.pop_front();
        memcpy(buf, &w, sizeof(w));
    });
}

TEST_F(PwdTest, RefusedArgumentsAndTheArithmeticOfTheDraws)
{
    // Length, size, no destination.
    const std::tuple<uint32_t, uint32_t, bool> refused[] = {
        {7, 20, false}, {8, 8, false}, {8, 9, true}, {8, 0, false}, {0xFFFFFFFFu, 100, false}};
    for (const auto &[len, size, nullDest] : refused) {
        Dest dst(20);
        qzsim::ClearRecords();
        EXPECT_EQ(WLAN_GenerateRandPwd(len, nullDest ? nullptr : dst.dest(), size), 1u) << len;
        EXPECT_TRUE(dst.Untouched() && dst.GuardsIntact());
        auto lw = utiltest::LastFailure();
        EXPECT_EQ(std::vector<uint32_t>({lw.code, lw.value1, lw.value2}), std::vector<uint32_t>({1, len, size}));
    }

    // Every draw 13: digit 3, letter 13 (N), symbol 3 (#) in turn; 13 mod 9
    // swaps position 4 with itself. Nothing is written behind the NUL.
    Script({13}, true);
    Dest dst(11);
    ASSERT_EQ(WLAN_GenerateRandPwd(9, dst.dest(), dst.size()), 0u);
    EXPECT_EQ(dst.bytes(), std::string("3N#3N#3N#\0\x5A", 11));
    // The shuffle draws two positions per round: (5,6) mod 4 = (1,2): acbd;
    // (3,0): dcba; (2,2): dcba; (9,4) mod 4 = (1,0): cdba.
    Script({5, 6, 3, 0, 2, 2, 9, 4});
    char buf[] = "abcd";
    WLAN_ShuffleChars(buf, 4);
    WLAN_ShuffleChars(buf, 0);  // no round, so no position taken modulo 0
    EXPECT_STREQ(buf, "cdba");
    // A failing random source leaves every value at 0: the first of each class.
    qzsim::SetRandomSource(nullptr);
    qzsim::FailCall("OS_GetRandomEx", 5, 0, -1);
    ASSERT_EQ(WLAN_GenerateRandPwd(8, dst.dest(), dst.size()), 0u);
    EXPECT_EQ(dst.str(), "0A~0A~0A");
}

TEST_F(PwdTest, DisturbDataTwiceRestoresIt)
{
    uint8_t data[6] = {0, 0, 0, 0, 0, 0x5A};
    WLAN_DisturbData(0x11223344u, data, 5);
    EXPECT_EQ(std::vector<uint8_t>(data, data + 6), (std::vector<uint8_t>{0x44, 0x33, 0x22, 0x11, 0x44, 0x5A}));
    WLAN_DisturbData(0x11223344u, data, 5);
    EXPECT_EQ(std::vector<uint8_t>(data, data + 6), (std::vector<uint8_t>{0, 0, 0, 0, 0, 0x5A}));
    EXPECT_TRUE(qzsim::LastWords().empty());

    WLAN_DisturbData(0, data, 3);
    WLAN_DisturbData(7, nullptr, 3);
    EXPECT_EQ(data[0], 0);
    EXPECT_EQ(qztest::CountLastWords("wlan_base", 0xFE600001u), 2u);
}

TEST_F(PwdTest, BinarySearchCharAndFilterList)
{
    // Sets of the even bytes 2 to 2n, in unsigned order, for every n and byte:
    // found exactly when the byte is one of them (0 and 1 lie below the set).
    std::string evens;
    for (int b = 2; b < 256; b += 2) evens.push_back(static_cast<char>(b));
    for (uint32_t n = 1; n <= evens.size(); n++) {
        for (uint32_t b = 0; b < 256; b++) {
            uint32_t want = b % 2 == 0 && b >= 2 && b <= 2 * n ? 1u : 0u;
            ASSERT_EQ(WLAN_BinarySearchChar(static_cast<uint8_t>(b), evens.data(), n), want) << n << "/" << b;
        }
    }
    EXPECT_TRUE(qzsim::LastWords().empty());
    EXPECT_EQ(WLAN_BinarySearchChar('a', nullptr, 3), 0u);
    EXPECT_EQ(WLAN_BinarySearchChar('a', "abc", 0), 0u);
    EXPECT_EQ(qztest::CountLastWords("wlan_base", 1), 2u);

    // Source, filter, count, result.
    const std::tuple<std::string, std::string, uint32_t, std::string> cases[] = {
        {"abcab", "bxxxx", 5, "aca"},
        {std::string("a\0b", 3), std::string(3, '\0'), 3, "ab"},  // zero bytes skipped, zero filter bytes ignored
        {"abc", "xxxxxc", 3, "abc"},                              // the filter is read over the same count
    };
    for (const auto &[src, filter, count, out] : cases) {
        Dest dst(count + 1, '\0');
        WLAN_FilterList(src.data(), filter.data(), dst.dest(), count);
        EXPECT_EQ(dst.str(), out) << src;
        EXPECT_TRUE(dst.GuardsIntact());
    }
}

}  // namespace
