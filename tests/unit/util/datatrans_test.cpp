// Hex and number transforms, and batches that stop at their first failure.
#include <cstring>
#include <tuple>

#include "util_test.h"

namespace {

using utiltest::Dest;
using DataTransTest = qztest::PlatformTest;

TEST_F(DataTransTest, HexDigitsTextAndBytes)
{
    // A refused character is left as it is and traced (no accepted one maps to itself).
    const char digits[][2] = {{'0', 0}, {'9', 9}, {'A', 10}, {'F', 15}, {'@', 9}, {'G', 'G'}, {'/', '/'}};
    for (const auto &d : digits) {
        qzsim::ClearRecords();
        char ch = d[0];
        WLAN_HexToInt(&ch);
        EXPECT_EQ(std::make_pair(ch, qztest::CountLastWords("wlan_datatrans_api", 1)),
                  std::make_pair(d[1], size_t(d[0] == d[1])));
    }
    EXPECT_EQ(QZ_WLAN_IsValidHex("") + QZ_WLAN_IsValidHex("09afAF") + QZ_WLAN_IsValidHex("12G"), 1u);

    const uint8_t bytes[] = {0x0A, 0xFF, 0x10, 0x9C};
    Dest text(7);
    uint32_t len = 99;
    EXPECT_EQ(WLAN_HexIntToStr(bytes, 3, text.dest(), &len), 0u);
    EXPECT_EQ(text.bytes() + "/" + std::to_string(len), std::string("0AFF10\0/6", 9));
    WLAN_HexToStr(text.dest(), 0, bytes, 4, 2);  // the smaller of count and limit
    EXPECT_EQ(text.str(), "0AFF");
    EXPECT_TRUE(text.GuardsIntact());

    // Text, its length, the answer, the bytes (refused: the destination untouched).
    const std::tuple<const char *, uint32_t, uint32_t, std::string> cases[] = {
        {"0AFF10", 6, 0, "\x0A\xFF\x10"},
        {"0a", 2, 0, "\x61"},  // the refused 'a' enters the sum with its code
        {"a0", 2, 0, "\x10"},  // 0x61 * 16 cut to 8 bits
        {"0AFF1", 5, 1, "ZZZZ"},
        {"0", 1, 1, "ZZZZ"},
    };
    for (const auto &[hex, len, rc, out] : cases) {
        Dest dst(4);
        uint32_t count = 99;
        EXPECT_EQ(WLAN_HexStrToInt(hex, len, dst.u(), &count), rc) << hex;
        EXPECT_EQ(dst.bytes().substr(0, out.size()) + "/" + std::to_string(count),
                  out + "/" + std::to_string(rc == 0 ? out.size() : 99u));
    }
}

TEST_F(DataTransTest, TimeStampAndRate)
{
    std::string error;
    ASSERT_TRUE(qzsim::LoadProfileJson({{"timezone", "UTC"}}, &error)) << error;
    qzsim::FixClock(1767618429, 0);  // 2026-01-05 13:07:09 UTC
    Dest dst(20), small(19);
    EXPECT_EQ(WLAN_GetTime(dst.dest(), dst.size()) + WLAN_GetTime(small.dest(), small.size()), 0u);
    EXPECT_EQ(dst.bytes(), std::string("2026_01_05_13_07_09\0", 20));
    EXPECT_EQ(qztest::CountLastWords("wlan_datatrans_api", 1), 1u);
    EXPECT_TRUE(dst.GuardsIntact() && small.GuardsIntact());

    // 2^32 + 1 keeps only its low bits.
    const uint64_t rates[][3] = {{1280000, 10, 1000}, {1280000, 0, 0}, {~0ull, 0xFFFFFFFFu, 0x2000000u}};
    for (const auto &c : rates) EXPECT_EQ(WLAN_RateCalculator(c[0], uint32_t(c[1])), c[2]) << c[0];
}

TEST_F(DataTransTest, BatchesStopAtTheFirstFailure)
{
    // Each fails at its item 1 (traced with that index) and leaves item 2 alone.
    char a[4] = "", b[3] = "", c[8] = "old";
    const WLAN_STR_COPY_ITEM copies[] = {{a, 4, "abc", 0}, {b, 3, "toolong", 0}, {c, 8, "new", 0}};
    EXPECT_EQ(WLAN_TransformStrData(copies, 3), 1u);
    EXPECT_EQ(std::string(a) + "/" + c, "abc/old");
    EXPECT_EQ(utiltest::LastCodeAndValue(), std::make_pair(34u, 1u));  // the bounded copy's ERANGE

    uint32_t v[3] = {7, 7, 7};
    const WLAN_STR_TO_UINT_ITEM toUint[] = {{"12", &v[0]}, {"34", &v[1]}, {"56", &v[2]}};
    qzsim::FailCall("QZ_OS_StrToUInt32", 0x4D, 1);
    EXPECT_EQ(WLAN_TransformStrToUint32(toUint, 3), 0x4Du);  // the conversion's own code
    EXPECT_EQ(std::to_string(v[0]) + "/" + std::to_string(v[2]), "12/7");
    EXPECT_EQ(utiltest::LastFailure().value1, 1u);

    char s1[11], s2[10] = "old", s3[4] = "old";
    const WLAN_UINT_TO_STR_ITEM toStr[] = {{s1, 11, 4294967295u}, {s2, 10, 4294967295u}, {s3, 4, 5}};
    EXPECT_EQ(WLAN_TransformUint32ToStr(toStr, 3), 1u);  // ten digits and the NUL need 11
    EXPECT_EQ(std::string(s1) + "/" + s3, "4294967295/old");
    EXPECT_EQ(utiltest::LastFailure().value1, 1u);
}

TEST_F(DataTransTest, MaskedCopiesAndPairs)
{
    uint32_t t[3] = {0, 0, 0};
    const WLAN_UINT_MASK_ITEM uints[] = {{&t[0], 10, 1}, {&t[1], 11, 0}, {&t[2], 12, 2}};
    WLAN_CopyUintByMask(uints, 3);
    EXPECT_EQ(std::vector<uint32_t>(t, t + 3), (std::vector<uint32_t>{10, 0, 0}));

    uint32_t src = 0xCAFEBABE, dst1 = 0, dst2 = 0, dst3 = 0;
    char text[8] = "xxxxxxx";
    WLAN_DATA_MASK_ITEM items[] = {
        {&dst1, 0, &src, 1, 1}, {text, sizeof(text), "hi", 1, 6}, {&dst3, 4, &src, 1, 3}, {&dst2, 4, &src, 1, 2}};
    EXPECT_EQ(WLAN_CopyDataByMask(items, 4), 1u);
    EXPECT_EQ(std::string(text, sizeof(text)), std::string("hi\0\0\0\0\0\0", 8));  // cleared, then copied
    EXPECT_EQ(dst1 + dst2 + dst3, 0xCAFEBABEu);
    EXPECT_EQ(utiltest::LastFailure().value1, 2u);
    items[2].ucCopy = 0;
    EXPECT_EQ(WLAN_CopyDataByMask(items, 4), 0u);
    EXPECT_EQ(dst2, 0xCAFEBABEu);

    const WLAN_NUM_PAIR pairs[] = {{1, 100}, {2, 200}, {1, 111}};
    uint32_t value = 0xABCD;
    EXPECT_EQ(WLAN_TransNums(pairs, 3, 1, &value), 0u);
    EXPECT_EQ(WLAN_TransNums(pairs, 3, 3, &value), 1u);
    EXPECT_EQ(value, 100u);  // the first pair with the key, kept when no key matches
}

}  // namespace
