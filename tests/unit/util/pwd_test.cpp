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
    // OS_GetRandomEx answers these words in turn, then 0; draws are counted.
    void Script(std::deque<uint32_t> words)
    {
        words_ = std::move(words);
        qzsim::SetRandomSource([this](uint8_t *buf, size_t len) {
            ASSERT_EQ(len, 4u);
            uint32_t w = 0;
            if (!words_.empty()) {
                w = words_.front();
                words_.pop_front();
            }
            memcpy(buf, &w, sizeof(w));
            draws_++;
        });
    }
    std::deque<uint32_t> words_;
    int draws_ = 0;
};

enum Class { kDigit, kLetter, kSymbol, kOther };

Class ClassOf(char c)
{
    if (c >= '0' && c <= '9') return kDigit;
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return kLetter;
    if (c != '\0' && strchr("~!@#$^&*()", c) != nullptr) return kSymbol;
    return kOther;
}

TEST_F(PwdTest, RefusedArgumentsWriteNothing)
{
    struct Case {
        uint32_t len, size;
        bool nullDest;
    } cases[] = {
        {7, 20, false},  {8, 8, false},                             // the NUL needs a ninth byte
        {8, 9, true},    {8, 0, false}, {0xFFFFFFFFu, 100, false},  // len + 1 wraps to 0
        {0, 100, false},
    };
    for (const auto &c : cases) {
        Dest dst(c.size == 0 ? 1 : c.size);
        qzsim::ClearRecords();
        EXPECT_EQ(WLAN_GenerateRandPwd(c.len, c.nullDest ? nullptr : dst.p(), c.size), 1u) << c.len << "/" << c.size;
        EXPECT_EQ(dst.bytes(), std::string(dst.size(), '\x5A'));
        ASSERT_EQ(qzsim::LastWords().size(), 1u);
        auto lw = utiltest::LastFailure();
        EXPECT_EQ(lw.file, "wlan_base");
        EXPECT_EQ(lw.code, 1u);
        EXPECT_EQ(lw.value1, c.len);
        EXPECT_EQ(lw.value2, c.size);
    }
}

TEST_F(PwdTest, ClassCountsFollowThePositions)
{
    struct Case {
        uint32_t len;
        int digits, letters, symbols;
    } cases[] = {{8, 3, 3, 2}, {9, 3, 3, 3}, {10, 4, 3, 3}, {64, 22, 21, 21}};
    for (const auto &c : cases) {
        for (int round = 0; round < 50; round++) {
            Dest dst(c.len + 4);
            ASSERT_EQ(WLAN_GenerateRandPwd(c.len, dst.p(), dst.size()), 0u);
            std::string pwd = dst.str();
            ASSERT_EQ(pwd.size(), c.len);
            int counts[4] = {};
            for (char ch : pwd) counts[ClassOf(ch)]++;
            EXPECT_EQ(counts[kDigit], c.digits) << pwd;
            EXPECT_EQ(counts[kLetter], c.letters) << pwd;
            EXPECT_EQ(counts[kSymbol], c.symbols) << pwd;
            EXPECT_EQ(counts[kOther], 0) << pwd;
            EXPECT_EQ(dst.bytes().substr(c.len + 1), std::string(3, '\x5A'));  // nothing behind the NUL
            EXPECT_TRUE(dst.intact());
        }
    }
}

TEST_F(PwdTest, ArithmeticOfTheDraws)
{
    struct Case {
        const char *name;
        uint32_t word;  // every draw answers this word
        uint32_t len;
        const char *pwd;
    } cases[] = {
        // All-zero source: first character of each class, position 0 swapped with itself.
        {"zero", 0, 8, "0A~0A~0A"},
        {"zero", 0, 9, "0A~0A~0A~"},
        // 13 picks digit 3, letter 13 (N) and symbol 3 (#); the shuffle swaps position 5 with itself.
        {"thirteen", 13, 8, "3N#3N#3N"},
        // 61: digit 1, letter 9 (J), symbol 1 (!); 61 mod 9 = 7 swaps position 7 with itself.
        {"sixty-one", 61, 9, "1J!1J!1J!"},
    };
    for (const auto &c : cases) {
        qzsim::SetRandomSource([w = c.word](uint8_t *buf, size_t) { memcpy(buf, &w, sizeof(w)); });
        Dest dst(c.len + 1);
        ASSERT_EQ(WLAN_GenerateRandPwd(c.len, dst.p(), dst.size()), 0u) << c.name;
        EXPECT_EQ(dst.str(), c.pwd) << c.name;
    }
    // A failing random source leaves every value at 0.
    qzsim::SetRandomSource(nullptr);
    qzsim::FailCall("OS_GetRandomEx", 5, 0, -1);
    Dest dst(9);
    ASSERT_EQ(WLAN_GenerateRandPwd(8, dst.p(), dst.size()), 0u);
    EXPECT_EQ(dst.str(), "0A~0A~0A");
}

TEST_F(PwdTest, ShuffleDrawsTwoPositionsPerRound)
{
    // Rounds: (5,6) mod 4 = (1,2); (3,0); (2,2); (9,4) mod 4 = (1,0).
    Script({5, 6, 3, 0, 2, 2, 9, 4});
    char buf[] = "abcd";
    WLAN_ShuffleChars(buf, 4);
    // abcd -> acbd -> dcba -> dcba -> cdba
    EXPECT_STREQ(buf, "cdba");
    EXPECT_EQ(draws_, 8);

    draws_ = 0;
    WLAN_ShuffleChars(buf, 0);
    EXPECT_EQ(draws_, 0);
    EXPECT_STREQ(buf, "cdba");
}

TEST_F(PwdTest, DisturbDataIsItsOwnInverse)
{
    uint8_t zeros[5] = {};
    WLAN_DisturbData(0x11223344u, zeros, sizeof(zeros));
    const uint8_t keyed[5] = {0x44, 0x33, 0x22, 0x11, 0x44};
    EXPECT_EQ(memcmp(zeros, keyed, sizeof(keyed)), 0);

    for (uint32_t len : {0u, 1u, 4u, 7u, 33u}) {
        std::vector<uint8_t> data(len + 1);  // one spare byte the scrambler must not touch
        for (uint32_t i = 0; i <= len; i++) data[i] = static_cast<uint8_t>(i * 37 + 5);
        auto original = data;
        WLAN_DisturbData(0xA5C3F00Fu, data.data(), len);
        if (len >= 4) {
            EXPECT_NE(data, original);
        }
        EXPECT_EQ(data[len], original[len]);
        WLAN_DisturbData(0xA5C3F00Fu, data.data(), len);
        EXPECT_EQ(data, original) << len;
    }
    EXPECT_TRUE(qzsim::LastWords().empty());
}

TEST_F(PwdTest, DisturbDataRefusals)
{
    uint8_t data[3] = {1, 2, 3};
    WLAN_DisturbData(0, data, sizeof(data));
    WLAN_DisturbData(7, nullptr, 3);
    const uint8_t same[3] = {1, 2, 3};
    EXPECT_EQ(memcmp(data, same, sizeof(same)), 0);
    EXPECT_EQ(qztest::CountLastWords("wlan_base", WLAN_ERR_NULL_ARG), 2u);
    EXPECT_EQ(utiltest::LastFailure().value1, 3u);
}

TEST_F(PwdTest, BinarySearchChar)
{
    struct Case {
        const char *set;
        uint32_t len;
        uint8_t ch;
        uint32_t found;
    } cases[] = {
        {"abc", 3, 'a', 1},
        {"abc", 3, 'b', 1},
        {"abc", 3, 'c', 1},
        {"abc", 3, '\0', 0},
        {"abc", 3, '0', 0},
        {"abc", 3, 'z', 0},
        {"m", 1, 'a', 0},
        {"m", 1, 'm', 1},
        {"m", 1, 'z', 0},
        {"\x01\x7F\x80\xFF", 4, 0x80, 1},  // unsigned order
        {"\x01\x7F\x80\xFF", 4, 0xFF, 1},
        {"\x01\x7F\x80\xFF", 4, 0x81, 0},
        {"ab", 2, 'b', 1},
    };
    for (const auto &c : cases) EXPECT_EQ(WLAN_BinarySearchChar(c.ch, c.set, c.len), c.found) << c.set << c.ch;
    EXPECT_TRUE(qzsim::LastWords().empty());

    // Every byte against the set of even bytes.
    std::string evens;
    for (int b = 0; b < 256; b += 2) evens.push_back(static_cast<char>(b));
    for (int b = 0; b < 256; b++) {
        EXPECT_EQ(WLAN_BinarySearchChar(static_cast<uint8_t>(b), evens.data(), static_cast<uint32_t>(evens.size())),
                  b % 2 == 0 ? 1u : 0u)
            << b;
    }

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
        {"ab", "xa", 2, "b"},
        {"abc", "xxxxxc", 3, "abc"},  // the filter is read over the source's count only
        {"aaa", "a", 1, ""},
        {"", "", 0, ""},
    };
    for (const auto &c : cases) {
        Dest dst(c.count + 1, '\0');
        WLAN_FilterList(c.src.data(), c.filter.data(), dst.p(), c.count);
        EXPECT_EQ(dst.str(), c.out) << c.src;
        EXPECT_TRUE(dst.intact());
    }
}

}  // namespace
