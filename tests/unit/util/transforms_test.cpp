// Hex and number transforms and batches that stop at their first failure;
// forced UTF-8 through the gateway's libiconv, loaded by the real dynamic
// loader (real GBK, BIG5 and ISO-8859-1 bytes, chained attempts, small
// destinations); MAC log formats under the full-MAC switch, the separator
// rewrite, and the interface, bridge and file queries against the profile.
#include <dlfcn.h>

#include <cstring>
#include <fstream>
#include <tuple>
#include <vector>

#include "util_test.h"

namespace {

using qztest::Guarded;

class UtilTest : public qztest::PlatformTest {
  protected:
    void TearDown() override
    {
        utiltest::ShowFullMac(false);  // the switch's cache outlives the platform's reset
        qztest::PlatformTest::TearDown();
    }
};

TEST_F(UtilTest, HexDigitsTextBytesTimeStampAndRate)
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
    Guarded text(7);
    uint32_t len = 99;
    EXPECT_EQ(WLAN_HexIntToStr(bytes, 3, text.dest(), &len), 0u);
    EXPECT_EQ(text.bytes() + "/" + std::to_string(len), std::string("0AFF10\0/6", 9));
    WLAN_HexToStr(text.dest(), 0, bytes, 4, 2);  // the smaller of count and limit
    EXPECT_EQ(text.str(), "0AFF");

    // Text, its length, the answer, the bytes (refused: the destination untouched).
    const std::tuple<const char *, uint32_t, uint32_t, std::string> cases[] = {
        {"0AFF10", 6, 0, "\x0A\xFF\x10"},
        {"0a", 2, 0, "\x61"},  // the refused 'a' enters the sum with its code
        {"a0", 2, 0, "\x10"},  // 0x61 * 16 cut to 8 bits
        {"0AFF1", 5, 1, "ZZZZ"},
        {"0", 1, 1, "ZZZZ"},
    };
    for (const auto &[hex, len, rc, out] : cases) {
        Guarded dst(4);
        uint32_t count = 99;
        EXPECT_EQ(WLAN_HexStrToInt(hex, len, dst.u(), &count), rc) << hex;
        EXPECT_EQ(dst.bytes().substr(0, out.size()) + "/" + std::to_string(count),
                  out + "/" + std::to_string(rc == 0 ? out.size() : 99u));
    }

    std::string error;
    qzsim::ClearRecords();
    ASSERT_TRUE(qzsim::LoadProfileJson({{"timezone", "UTC"}}, &error)) << error;
    qzsim::FixClock(1767618429, 0);  // 2026-01-05 13:07:09 UTC
    Guarded dst(20), small(19);
    EXPECT_EQ(WLAN_GetTime(dst.dest(), dst.size()) + WLAN_GetTime(small.dest(), small.size()), 0u);
    EXPECT_EQ(dst.bytes(), std::string("2026_01_05_13_07_09\0", 20));
    EXPECT_EQ(qztest::CountLastWords("wlan_datatrans_api", 1), 1u);

    // 2^32 + 1 keeps only its low bits.
    const uint64_t rates[][3] = {{1280000, 10, 1000}, {1280000, 0, 0}, {~0ull, 0xFFFFFFFFu, 0x2000000u}};
    for (const auto &c : rates) EXPECT_EQ(WLAN_RateCalculator(c[0], uint32_t(c[1])), c[2]) << c[0];
}

TEST_F(UtilTest, BatchesMaskedCopiesAndPairs)
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

// "中文" in GBK, "一乙" in BIG5 (bytes GBK refuses), and their UTF-8 forms.
const std::string kGbk = "\xD6\xD0\xCE\xC4", kGbkUtf8 = "\xE4\xB8\xAD\xE6\x96\x87";
const std::string kBig5 = "\xA4\x40\xA4\x41", kBig5Utf8 = "\xE4\xB8\x80\xE4\xB9\x99";

// Converts into a guarded destination of `size` bytes: the result code and
// the text; the library is released and nothing is written outside.
std::pair<uint32_t, std::string> Convert(const std::string &src, size_t size)
{
    Guarded dst(size, '\0');
    uint32_t rc = WLAN_ForceToEncodeUtf8(src.c_str(), dst.dest(), dst.size());
    EXPECT_EQ(dst.bytes().back(), '\0');
    void *h = dlopen(qzsim::MapPath("/lib/libiconv.so").c_str(), RTLD_NOW | RTLD_NOLOAD);
    EXPECT_EQ(h, nullptr) << "still loaded";
    if (h != nullptr) dlclose(h);
    return {rc, dst.str()};
}

TEST_F(UtilTest, EncodingsChainedRefusedArgumentsMissingLibraryOrSymbol)
{
    const std::string utf8 = "h\xC3\xA9llo \xE4\xB8\xAD";
    const std::pair<std::string, std::string> cases[] = {
        {utf8, utf8},
        {"", ""},
        {kGbk, kGbkUtf8},
        // Each attempt continues where the previous stopped: UTF-8, GBK, BIG5,
        // then ISO-8859-1 for everything from the byte the others refuse.
        {"ab\xD6\xD0" + kBig5 + "\xFFz\xD6\xD0", "ab\xE4\xB8\xAD" + kBig5Utf8 + "\xC3\xBFz\xC3\x96\xC3\x90"},
        {"ab\xD6", "ab\xC3\x96"},  // incomplete at the end
    };
    for (const auto &[src, out] : cases) EXPECT_EQ(Convert(src, 64), std::make_pair(0u, out)) << src;
    EXPECT_TRUE(qzsim::LastWords().empty());

    // Source, destination size, answer, text.
    const std::tuple<std::string, size_t, uint32_t, std::string> smalls[] = {
        {"a", 2, 0, "a"},
        {"ab", 2, 1, "a"},  // one byte stays free for the terminator
        // The Chinese character needs three bytes; the Latin-1 attempt still
        // takes its first byte into the two that are left.
        {"ab\xD6\xD0", 5, 1, "ab\xC3\x96"},
        {"ab\xD6\xD0", 6, 0, "ab\xE4\xB8\xAD"},
        {"\xFF", 2, 1, ""},  // two UTF-8 bytes for one input byte
    };
    for (const auto &[src, size, rc, out] : smalls) {
        qzsim::ClearRecords();
        EXPECT_EQ(Convert(src, size), std::make_pair(rc, out)) << src << "/" << size;
        EXPECT_EQ(qztest::CountLastWords("wlan_trans_encode", 1), rc) << src;
    }

    qzsim::ClearRecords();
    // A pending load failure stays pending through the refused calls.
    qzsim::FailCall("QZ_OS_LoadLibrary", 0);
    char buf[8] = {};
    const std::vector<uint32_t> refused = {WLAN_ForceToEncodeUtf8("a", buf, 1), WLAN_ForceToEncodeUtf8("a", buf, 0),
                                           WLAN_ForceToEncodeUtf8(nullptr, buf, 4),
                                           WLAN_ForceToEncodeUtf8("a", nullptr, 4),
                                           WLAN_ForceToEncodeUtf8("a", buf, sizeof(buf))};  // the load fault
    EXPECT_EQ(refused, std::vector<uint32_t>(5, 1));
    EXPECT_EQ(qztest::CountLastWords("wlan_trans_encode", 1), 5u);
    EXPECT_EQ(buf[0], '\0');

    qzsim::MapOverride("/lib/libiconv.so", "");  // nothing at the gateway's path below the root
    EXPECT_EQ(WLAN_ForceToEncodeUtf8("abc", buf, sizeof(buf)), 1u);
    EXPECT_EQ(qztest::CountLastWords("wlan_trans_encode", 1), 6u);
    qzsim::Reset();

    // libiconv_open, libiconv, libiconv_close missing in turn: released, nothing written.
    for (int missing = 0; missing < 3; missing++) {
        qzsim::ClearRecords();
        qzsim::FailCall("QZ_OS_FindSymbol", 0, missing, 1);
        EXPECT_EQ(Convert("abc", 8), std::make_pair(1u, std::string())) << missing;
        EXPECT_EQ(qztest::CountLastWords("wlan_trans_encode", 1), 1u);
    }
    EXPECT_EQ(Convert("abc", 8), std::make_pair(0u, std::string("abc")));
}

TEST_F(UtilTest, MacFormatsAndDeviceQueries)
{
    const uint8_t mac[8] = {0xAA, 0x0B, 0xCC, 0x1D, 0xEE, 0x2F, 0x99, 0x88};
    // Whole or masked, byte count, size, the text (null: refused, nothing written).
    const std::tuple<bool, uint32_t, uint32_t, const char *> hexCases[] = {{false, 6, 18, "AA:0B:CC:1D:XX:XX"},
                                                                           {true, 8, 18, "AA:0B:CC:1D:EE:2F"},
                                                                           {false, 5, 18, nullptr},
                                                                           {false, 6, 17, nullptr}};
    for (const auto &[full, count, size, out] : hexCases) {
        utiltest::ShowFullMac(full);
        qzsim::ClearRecords();
        Guarded dst(size);
        WLAN_GetHexMacLogFormat(mac, count, dst.dest(), dst.size());
        EXPECT_EQ(dst.bytes(), out ? std::string(out) + '\0' : std::string(size, '\x5A')) << count;
        EXPECT_EQ(qzsim::LastWords().size(), out ? 0u : 1u);
    }
    // 17 bytes cannot take the masked form of a whole MAC text; what fits and
    // the failures of the formatter and the copy are pinned by the sessions.
    // A failed conversion leaves the text empty, which is formatted as it is.
    qzsim::ClearRecords();
    Guarded seventeen(17);
    WLAN_GetMacLogFormat("aa:bb:cc:dd:ee:ff", seventeen.dest(), seventeen.size());
    EXPECT_EQ(qztest::CountLastWords("wlan_mac_api", 1), 1u);
    for (bool full : {false, true}) {
        utiltest::ShowFullMac(full);
        Guarded hex(18);
        qzsim::FailCall("UTIL_MacHexToStr", 9);
        WLAN_GetHexMacLogFormat(mac, 6, hex.dest(), hex.size());
        EXPECT_EQ(hex.str(), full ? "" : ":XX:XX");
    }

    qzsim::ClearRecords();
    const std::pair<const char *, const char *> cases[] = {
        // the MAC; the answer and the text after
        {"aa:bb:cc:dd:ee:ff", "0 aa-bb-cc-dd-ee-ff"},
        {"0123456789abcdefg", "0 01-34-67-9a-cd-fg"},  // whatever stands there is overwritten
        {"aabbccddeeff", "1 aabbccddeeff"},
        {"aa:bb:cc:dd:ee:ff:", "1 aa:bb:cc:dd:ee:ff:"},
    };
    for (const auto &[text, out] : cases) {
        std::vector<char> mac(text, text + strlen(text) + 1);
        EXPECT_EQ(std::to_string(WLAN_MacSplitChange(mac.data(), '-')) + " " + mac.data(), out);
    }
    EXPECT_EQ(qztest::CountLastWords("wlan_mac_api", 1), 2u);
    EXPECT_EQ(WLAN_GetMinNum(0xFFFFFFFFu, 1), 1u);  // unsigned comparison

    std::string error;
    qzsim::ClearRecords();
    ASSERT_TRUE(qzsim::LoadProfileJson({{"interfaces",
                                         {{"br0", {{"ip", "10.1.2.3"}, {"mac", "02:1a:2b:3c:4d:5e"}}},
                                          {"eth0", {{"ip", "192.0.2.9"}, {"mac", "00:e0:4c:01:02:03"}}}}}},
                                       &error))
        << error;
    Guarded dst(18);
    EXPECT_EQ(WLAN_GetIfMacStr("eth0", dst.dest(), dst.size()), 0u);
    EXPECT_EQ(dst.str(), "00:E0:4C:01:02:03");
    EXPECT_EQ(WLAN_GetIfMacStr("wlan9", dst.dest(), 18), 1u);  // unknown interface
    EXPECT_EQ(WLAN_GetIfMacStr(nullptr, dst.dest(), 18), 0xFE600001u);
    EXPECT_EQ(WLAN_GetIfMacStr("br0", nullptr, 18), 0xFE600001u);
    EXPECT_EQ(WLAN_GetIfMacStr("br0", dst.dest(), 17), 1u);  // the converter judges the size
    EXPECT_EQ(qzsim::LastWords().size(), 4u);
    qzsim::FailCall("QZ_OS_GetIfIpAndMac", 0x71);
    EXPECT_EQ(WLAN_GetIfMacStr("br0", dst.dest(), dst.size()), 1u);  // the query's code goes into the trace only
    EXPECT_EQ(qztest::CountLastWords("wlan_dev_api", 0x71), 1u);

    Guarded ip(16);
    EXPECT_EQ(WLAN_GetBr0IP(ip.dest(), ip.size()), 0u);
    EXPECT_EQ(ip.str(), "10.1.2.3");  // not 3.2.1.10
    // A size of 0 or no destination is refused before any platform call.
    qzsim::FailCall("QZ_OS_GetIfIpAndMac", 0x66);
    EXPECT_EQ(WLAN_GetBr0IP(ip.dest(), 0), 1u);
    EXPECT_EQ(WLAN_GetBr0IP(nullptr, 16), 1u);
    EXPECT_EQ(WLAN_GetBr0IP(ip.dest(), ip.size()), 0x66u);  // the pending fault fires only now
    Guarded small(8);
    EXPECT_EQ(WLAN_GetBr0IP(small.dest(), small.size()), 1u);  // the formatter's code
    EXPECT_EQ(utiltest::LastFailure().value1, 8u);

    qzsim::ClearRecords();
    std::ofstream(Under("/tmp/present")) << "x";
    EXPECT_EQ(WLAN_IsFileAccess("/tmp/present"), 1u);
    EXPECT_EQ(WLAN_IsFileAccess("/tmp/absent"), 0u);
    qzsim::FailCall("QZ_OS_Open", -1);  // a file that may not be read (the tests may run as root)
    EXPECT_EQ(WLAN_IsFileAccess("/tmp/present"), 0u);
    EXPECT_TRUE(qzsim::LastWords().empty());
}

}  // namespace
