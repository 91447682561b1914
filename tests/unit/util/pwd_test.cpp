// Passwords, the shuffle, the keyed scrambler and the character-set helpers,
// with the random source scripted where the arithmetic matters.
#include <cstring>
#include <deque>

#include "qz_sim_util.h"
#include "util/wlan_base_internal.h"
#include "util_test.h"

namespace {

using utiltest::Dest;

class PwdTest : public qztest::PlatformTest {
  protected:
    // OS_GetRandomEx answers these words in turn, then 0.
    void Script(std::deque<uint32_t> words)
    {
        qzsim::SetRandomSource([words](uint8_t *buf, size_t) mutable {
            uint32_t w = 0;
            if (!words.empty()) {
                w = words.front();
                words.pop_front();
            }
            memcpy(buf, &w, sizeof(w));
        });
    }
};

TEST_F(PwdTest, RefusedArgumentsWriteNothing)
{
    struct Case {
        uint32_t len, size;
        bool nullDest;
    } cases[] = {{7, 20, false}, {8, 8, false}, {8, 9, true}, {8, 0, false}, {0xFFFFFFFFu, 100, false}};
    for (const auto &c : cases) {
        Dest dst(20);
        qzsim::ClearRecords();
        EXPECT_EQ(WLAN_GenerateRandPwd(c.len, c.nullDest ? nullptr : dst.dest(), c.size), 1u) << c.len << "/" << c.size;
        EXPECT_EQ(dst.bytes(), std::string(20, '\x5A'));
        auto lw = utiltest::LastFailure();
        EXPECT_EQ(lw.code, 1u);
        EXPECT_EQ(lw.value1, c.len);
        EXPECT_EQ(lw.value2, c.size);
    }
}

TEST_F(PwdTest, ClassCountsFollowThePositions)
{
    struct Case {
        uint32_t len;
        size_t digits, letters, symbols;
    } cases[] = {{8, 3, 3, 2}, {9, 3, 3, 3}, {10, 4, 3, 3}};
    for (const auto &c : cases) {
        for (int round = 0; round < 50; round++) {
            Dest dst(c.len + 2);
            ASSERT_EQ(WLAN_GenerateRandPwd(c.len, dst.dest(), dst.size()), 0u);
            std::string pwd = dst.str();
            ASSERT_EQ(pwd.size(), c.len);
            EXPECT_EQ(std::count_if(pwd.begin(), pwd.end(), ::isdigit), static_cast<long>(c.digits)) << pwd;
            EXPECT_EQ(std::count_if(pwd.begin(), pwd.end(), ::isalpha), static_cast<long>(c.letters)) << pwd;
            EXPECT_EQ(pwd.find_first_not_of("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz~!@#$^&*()"),
                      std::string::npos);
            EXPECT_EQ(dst.bytes().back(), '\x5A');  // nothing behind the NUL
        }
    }
}

TEST_F(PwdTest, ArithmeticOfTheDraws)
{
    struct Case {
        uint32_t word;  // every draw answers this word
        uint32_t len;
        const char *pwd;
    } cases[] = {
        // All zero: first character of each class; the shuffle swaps position 0 with itself.
        {0, 8, "0A~0A~0A"},
        {0, 9, "0A~0A~0A~"},
        // 13: digit 3, letter 13 (N), symbol 3 (#); 13 mod 8 swaps position 5 with itself.
        {13, 8, "3N#3N#3N"},
    };
    for (const auto &c : cases) {
        qzsim::SetRandomSource([w = c.word](uint8_t *buf, size_t) { memcpy(buf, &w, sizeof(w)); });
        Dest dst(c.len + 1);
        ASSERT_EQ(WLAN_GenerateRandPwd(c.len, dst.dest(), dst.size()), 0u);
        EXPECT_EQ(dst.str(), c.pwd);
    }
    // A failing random source leaves every value at 0.
    qzsim::SetRandomSource(nullptr);
    qzsim::FailCall("OS_GetRandomEx", 5, 0, -1);
    Dest dst(9);
    ASSERT_EQ(WLAN_GenerateRandPwd(8, dst.dest(), dst.size()), 0u);
    EXPECT_EQ(dst.str(), "0A~0A~0A");
}

TEST_F(PwdTest, ShuffleDrawsTwoPositionsPerRound)
{
    // (5,6) mod 4 = (1,2): acbd; (3,0): dcba; (2,2): dcba; (9,4) mod 4 = (1,0): cdba.
    Script({5, 6, 3, 0, 2, 2, 9, 4});
    char buf[] = "abcd";
    WLAN_ShuffleChars(buf, 4);
    EXPECT_STREQ(buf, "cdba");
    WLAN_ShuffleChars(buf, 0);  // no round, so no position taken modulo 0
    EXPECT_STREQ(buf, "cdba");
}

TEST_F(PwdTest, DisturbData)
{
    uint8_t data[6] = {0, 0, 0, 0, 0, 0x5A};
    WLAN_DisturbData(0x11223344u, data, 5);
    const uint8_t keyed[6] = {0x44, 0x33, 0x22, 0x11, 0x44, 0x5A};
    EXPECT_EQ(memcmp(data, keyed, sizeof(keyed)), 0);
    WLAN_DisturbData(0x11223344u, data, 5);
    EXPECT_EQ(std::vector<uint8_t>(data, data + 6), (std::vector<uint8_t>{0, 0, 0, 0, 0, 0x5A}));
    EXPECT_TRUE(qzsim::LastWords().empty());

    WLAN_DisturbData(0, data, 3);
    WLAN_DisturbData(7, nullptr, 3);
    EXPECT_EQ(data[0], 0);
    EXPECT_EQ(qztest::CountLastWords("wlan_base", WLAN_ERR_NULL_ARG), 2u);
}

TEST_F(PwdTest, BinarySearchChar)
{
    struct Case {
        const char *set;
        uint8_t ch;
        uint32_t found;
    } cases[] = {
        {"abc", 'a', 1},
        {"abc", 'b', 1},
        {"abc", 'c', 1},
        {"abc", '\0', 0},
        {"abc", '0', 0},
        {"abc", 'z', 0},
        {"m", 'a', 0},
        {"\x01\x7F\x80\xFF", 0x80, 1},  // unsigned order
        {"\x01\x7F\x80\xFF", 0xFF, 1},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(WLAN_BinarySearchChar(c.ch, c.set, static_cast<uint32_t>(strlen(c.set))), c.found) << c.set << c.ch;
    }
    std::string evens;
    for (int b = 0; b < 256; b += 2) evens.push_back(static_cast<char>(b));
    for (int b = 0; b < 256; b++) {
        EXPECT_EQ(WLAN_BinarySearchChar(static_cast<uint8_t>(b), evens.data(), 128), b % 2 == 0 ? 1u : 0u) << b;
    }
    EXPECT_TRUE(qzsim::LastWords().empty());
    EXPECT_EQ(WLAN_BinarySearchChar('a', nullptr, 3), 0u);
    EXPECT_EQ(WLAN_BinarySearchChar('a', "abc", 0), 0u);
    EXPECT_EQ(qztest::CountLastWords("wlan_base", 1), 2u);
}

TEST_F(PwdTest, FilterList)
{
    struct Case {
        std::string src, filter;
        uint32_t count;
        std::string out;
    } cases[] = {
        {"abcab", "bxxxx", 5, "aca"},
        {std::string("a\0b", 3), std::string(3, '\0'), 3, "ab"},  // zero bytes skipped, zero filter bytes ignored
        {"abc", "xxxxxc", 3, "abc"},                              // the filter is read over the same count
    };
    for (const auto &c : cases) {
        Dest dst(c.count + 1, '\0');
        WLAN_FilterList(c.src.data(), c.filter.data(), dst.dest(), c.count);
        EXPECT_EQ(dst.str(), c.out) << c.src;
        EXPECT_TRUE(dst.GuardsIntact());
    }
}

}  // namespace
