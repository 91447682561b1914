// Hex and number transforms and the batch operations that stop at their
// first failure.
#include <cstring>
#include <ctime>

#include "qz_sim_bounded.h"
#include "util_test.h"

namespace {

using utiltest::Dest;

class DataTransTest : public qztest::PlatformTest {};

constexpr char kUnit[] = "wlan_datatrans_api";

TEST_F(DataTransTest, HexValidationAndDecimalText)
{
    struct Hex {
        const char *text;
        uint32_t rc;
    } hexes[] = {{"", 0}, {"0123456789abcdefABCDEF", 0}, {"12G", 1}, {"0x10", 1}, {" 1", 1}};
    for (const auto &c : hexes) {
        qzsim::ClearRecords();
        EXPECT_EQ(QZ_WLAN_IsValidHex(c.text), c.rc) << c.text;
        EXPECT_EQ(qztest::CountLastWords(kUnit, 1), c.rc);
    }

    qzsim::ClearRecords();
    struct Dec {
        const char *text;
        uint32_t value;
    } decs[] = {{"123", 123}, {"abc", 0}, {"42xyz", 42}, {"4294967295", 4294967295u}};
    for (const auto &c : decs) {
        uint32_t v = 0xDEADBEEF;
        EXPECT_EQ(QZ_WLAN_StrToUInt32(c.text, &v), 0u);
        EXPECT_EQ(v, c.value) << c.text;
    }
    uint32_t v = 0;
    EXPECT_EQ(QZ_WLAN_StrToUInt32(nullptr, &v), 1u);
    EXPECT_EQ(QZ_WLAN_StrToUInt32("1", nullptr), 1u);
    EXPECT_TRUE(qzsim::LastWords().empty());
}

TEST_F(DataTransTest, TimeStampForFileNames)
{
    std::string error;
    ASSERT_TRUE(qzsim::LoadProfileJson({{"timezone", "UTC"}}, &error)) << error;
    struct tm t = {};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 0;
    t.tm_mday = 5;
    t.tm_hour = 13;
    t.tm_min = 7;
    t.tm_sec = 9;
    qzsim::FixClock(timegm(&t), 0);
    Dest dst(20);
    EXPECT_EQ(WLAN_GetTime(dst.p(), dst.size()), 0u);
    EXPECT_EQ(dst.str(), "2026_01_05_13_07_09");
    EXPECT_TRUE(dst.intact());

    Dest small(19);  // 19 characters need 20 bytes
    EXPECT_EQ(WLAN_GetTime(small.p(), small.size()), 0u);
    EXPECT_EQ(qztest::CountLastWords(kUnit, 1), 1u);
    EXPECT_TRUE(small.intact());
}

TEST_F(DataTransTest, BytesToHexText)
{
    const uint8_t bytes[] = {0x0A, 0xFF, 0x10, 0x9C};
    struct Case {
        uint32_t count;
        const char *text;
    } cases[] = {{3, "0AFF10"}, {4, "0AFF109C"}, {0, ""}};
    for (const auto &c : cases) {
        Dest dst(2 * c.count + 1);
        uint32_t len = 99;
        EXPECT_EQ(WLAN_HexIntToStr(bytes, c.count, dst.p(), &len), 0u);
        EXPECT_EQ(dst.str(), c.text);
        EXPECT_EQ(len, 2 * c.count);
        EXPECT_TRUE(dst.intact());
    }
    // The smaller of count and limit.
    Dest limited(5);
    WLAN_HexToStr(limited.p(), 0, bytes, 4, 2);
    EXPECT_EQ(limited.str(), "0AFF");
    EXPECT_TRUE(limited.intact());
    Dest counted(9);
    WLAN_HexToStr(counted.p(), 0, bytes, 3, 4);
    EXPECT_EQ(counted.str(), "0AFF10");
    EXPECT_TRUE(qzsim::LastWords().empty());

    Dest dst(4);
    uint32_t len = 0;
    EXPECT_EQ(WLAN_HexIntToStr(nullptr, 1, dst.p(), &len), 1u);
    EXPECT_EQ(WLAN_HexIntToStr(bytes, 1, nullptr, &len), 1u);
    EXPECT_EQ(WLAN_HexIntToStr(bytes, 1, dst.p(), nullptr), 1u);
    WLAN_HexToStr(nullptr, 0, bytes, 1, 1);
    WLAN_HexToStr(dst.p(), 0, nullptr, 1, 1);
    EXPECT_EQ(dst.bytes(), std::string(4, '\x5A'));
    EXPECT_EQ(qztest::CountLastWords(kUnit, 1), 5u);
}

TEST_F(DataTransTest, HexDigitsToValues)
{
    struct Case {
        char in;
        char out;
        bool refused;
    } cases[] = {
        {'0', 0, false},  {'9', 9, false},  {'A', 10, false}, {'F', 15, false},
        {':', 3, false},  {'@', 9, false},  // 0x3A to 0x40 lose 0x37 as well
        {'G', 'G', true}, {'a', 'a', true}, {'/', '/', true}, {'\x80', '\x80', true},
    };
    for (const auto &c : cases) {
        qzsim::ClearRecords();
        char ch = c.in;
        WLAN_HexToInt(&ch);
        EXPECT_EQ(ch, c.out) << c.in;
        EXPECT_EQ(qztest::CountLastWords(kUnit, 1), c.refused ? 1u : 0u) << c.in;
    }
    qzsim::ClearRecords();
    WLAN_HexToInt(nullptr);
    EXPECT_EQ(qztest::CountLastWords(kUnit, 1), 1u);
}

TEST_F(DataTransTest, HexTextToBytes)
{
    struct Case {
        const char *text;
        uint32_t len;
        uint32_t rc;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"0AFF10", 6, 0, {0x0A, 0xFF, 0x10}},
        {"0a", 2, 0, {0x61}},  // the refused 'a' enters the sum with its code
        {"a0", 2, 0, {0x10}},  // 0x61 * 16 cut to 8 bits
        {"0AFF1", 5, 1, {}},
        {"0", 1, 1, {}},
        {"", 0, 1, {}},
    };
    for (const auto &c : cases) {
        Dest dst(4);
        uint32_t count = 99;
        qzsim::ClearRecords();
        EXPECT_EQ(WLAN_HexStrToInt(c.text, c.len, dst.u(), &count), c.rc) << c.text;
        if (c.rc == 0) {
            EXPECT_EQ(count, c.bytes.size());
            EXPECT_EQ(dst.bytes().substr(0, c.bytes.size()), std::string(c.bytes.begin(), c.bytes.end()));
        } else {
            EXPECT_EQ(count, 99u);
            EXPECT_EQ(dst.bytes(), std::string(4, '\x5A'));
            EXPECT_EQ(utiltest::LastFailure().value1, c.len);
        }
        EXPECT_TRUE(dst.intact());
    }
    uint8_t b[2];
    uint32_t n = 0;
    EXPECT_EQ(WLAN_HexStrToInt(nullptr, 2, b, &n), 1u);
    EXPECT_EQ(WLAN_HexStrToInt("00", 2, nullptr, &n), 1u);
    EXPECT_EQ(WLAN_HexStrToInt("00", 2, b, nullptr), 1u);

    // Round trip through both directions.
    const uint8_t all[] = {0x00, 0x01, 0x7F, 0x80, 0xAB, 0xFE, 0xFF};
    char text[2 * sizeof(all) + 1];
    uint32_t textLen = 0;
    ASSERT_EQ(WLAN_HexIntToStr(all, sizeof(all), text, &textLen), 0u);
    uint8_t back[sizeof(all)];
    ASSERT_EQ(WLAN_HexStrToInt(text, textLen, back, &n), 0u);
    EXPECT_EQ(n, sizeof(all));
    EXPECT_EQ(memcmp(back, all, sizeof(all)), 0);
}

TEST_F(DataTransTest, RateCalculator)
{
    struct Case {
        uint64_t amount;
        uint32_t divisor;
        uint32_t rate;
    } cases[] = {
        {1280000, 10, 1000},
        {1280000, 0, 0},
        {0, 0, 0},
        {127, 1, 0},
        {128, 1, 1},
        {1ull << 39, 1, 0},  // 2^32 after the shift: the low 32 bits
        {~0ull, 1, 0xFFFFFFFFu},
        {~0ull, 0xFFFFFFFFu, 0x2000000u},
    };
    for (const auto &c : cases) EXPECT_EQ(WLAN_RateCalculator(c.amount, c.divisor), c.rate) << c.amount;
}

TEST_F(DataTransTest, StringBatchStopsAtTheFirstFailure)
{
    char a[4] = "", b[3] = "", c[8] = "old";
    const WLAN_STR_COPY_ITEM items[] = {{a, 4, "abc", 0}, {b, 3, "toolong", 0}, {c, 8, "new", 0}};
    EXPECT_EQ(WLAN_TransformStrData(items, 3), 1u);
    EXPECT_STREQ(a, "abc");
    EXPECT_STREQ(c, "old");
    EXPECT_EQ(utiltest::LastFailure().code, static_cast<uint32_t>(QZ_SIM_ERANGE));
    EXPECT_EQ(utiltest::LastFailure().value1, 1u);  // the item's index
    EXPECT_EQ(WLAN_TransformStrData(items, 1), 0u);
    EXPECT_EQ(WLAN_TransformStrData(items, 0), 0u);
    EXPECT_EQ(WLAN_TransformStrData(nullptr, 2), 1u);
}

TEST_F(DataTransTest, NumberBatchesStopAtTheFirstFailure)
{
    uint32_t v[3] = {7, 7, 7};
    const WLAN_STR_TO_UINT_ITEM toUint[] = {{"12", &v[0]}, {"x", &v[1]}, {"34", &v[2]}};
    EXPECT_EQ(WLAN_TransformStrToUint32(toUint, 3), 1u);  // the platform's answer for "x"
    EXPECT_EQ(v[0], 12u);
    EXPECT_EQ(v[2], 7u);
    EXPECT_EQ(utiltest::LastFailure().value1, 1u);
    qzsim::FailCall("QZ_OS_StrToUInt32", 0x4D, 2);
    const WLAN_STR_TO_UINT_ITEM good[] = {{"1", &v[0]}, {"2", &v[1]}, {"3", &v[2]}};
    EXPECT_EQ(WLAN_TransformStrToUint32(good, 3), 0x4Du);
    EXPECT_EQ(utiltest::LastFailure().code, 0x4Du);
    EXPECT_EQ(utiltest::LastFailure().value1, 2u);

    char s1[11], s2[10] = "old", s3[4] = "old";
    const WLAN_UINT_TO_STR_ITEM toStr[] = {{s1, 11, 4294967295u}, {s2, 10, 4294967295u}, {s3, 4, 5}};
    qzsim::ClearRecords();
    EXPECT_EQ(WLAN_TransformUint32ToStr(toStr, 3), 1u);  // ten digits and the NUL need 11
    EXPECT_STREQ(s1, "4294967295");
    EXPECT_STREQ(s3, "old");
    EXPECT_EQ(utiltest::LastFailure().code, 1u);
    EXPECT_EQ(utiltest::LastFailure().value1, 1u);
    EXPECT_EQ(WLAN_TransformUint32ToStr(toStr, 1), 0u);
}

TEST_F(DataTransTest, MaskedCopies)
{
    uint32_t t[4] = {0, 0, 0, 0};
    const WLAN_UINT_MASK_ITEM uints[] = {{&t[0], 10, 1}, {&t[1], 11, 0}, {&t[2], 12, 2}, {&t[3], 13, 1}};
    WLAN_CopyUintByMask(uints, 4);
    EXPECT_EQ(std::vector<uint32_t>(t, t + 4), (std::vector<uint32_t>{10, 0, 0, 13}));

    uint32_t src1 = 0xCAFEBABE, dst1 = 0, src2 = 5, dst2 = 0, dst3 = 0;
    char text[8] = "xxxxxxx";
    WLAN_DATA_MASK_ITEM items[] = {
        {&dst1, 0, &src1, 1, WLAN_DATA_TYPE_UINT32},
        {text, sizeof(text), "hi", 1, WLAN_DATA_TYPE_STRING},
        {&dst3, 4, &src2, 1, 3},
        {&dst2, 4, &src2, 1, WLAN_DATA_TYPE_UINT32_ALT},
    };
    EXPECT_EQ(WLAN_CopyDataByMask(items, 4), 1u);
    EXPECT_EQ(dst1, 0xCAFEBABEu);
    EXPECT_EQ(std::string(text, sizeof(text)), std::string("hi\0\0\0\0\0\0", 8));  // cleared, then copied
    EXPECT_EQ(dst3, 0u);
    EXPECT_EQ(dst2, 0u);  // after the failure: untouched
    EXPECT_EQ(utiltest::LastFailure().code, 1u);
    EXPECT_EQ(utiltest::LastFailure().value1, 2u);

    items[2].ucCopy = 0;
    EXPECT_EQ(WLAN_CopyDataByMask(items, 4), 0u);
    EXPECT_EQ(dst2, 5u);

    char small[2];
    const WLAN_DATA_MASK_ITEM tooLong[] = {{small, sizeof(small), "long", 1, WLAN_DATA_TYPE_STRING}};
    EXPECT_EQ(WLAN_CopyDataByMask(tooLong, 1), static_cast<uint32_t>(QZ_SIM_ERANGE));
    EXPECT_EQ(utiltest::LastFailure().code, static_cast<uint32_t>(QZ_SIM_ERANGE));
}

TEST_F(DataTransTest, TransNums)
{
    const WLAN_NUM_PAIR pairs[] = {{1, 100}, {2, 200}, {1, 111}};
    struct Case {
        uint32_t key;
        uint32_t rc;
        uint32_t value;
    } cases[] = {{1, 0, 100}, {2, 0, 200}, {3, 1, 0xABCD}};
    for (const auto &c : cases) {
        uint32_t v = 0xABCD;
        EXPECT_EQ(WLAN_TransNums(pairs, 3, c.key, &v), c.rc) << c.key;
        EXPECT_EQ(v, c.value) << c.key;
    }
    uint32_t v = 0;
    EXPECT_EQ(WLAN_TransNums(pairs, 0, 1, &v), 1u);
    EXPECT_TRUE(qzsim::LastWords().empty());
}

}  // namespace
