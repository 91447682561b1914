// Forced UTF-8 through the gateway's libiconv, loaded by the real dynamic
// loader: real GBK, BIG5 and ISO-8859-1 bytes, the chaining of attempts and
// small destinations.
#include <dlfcn.h>

#include <cstring>

#include "util_test.h"

namespace {

using utiltest::Dest;

// "中文" in GBK, "一乙" in BIG5 (bytes GBK refuses), and their UTF-8 forms.
constexpr char kGbk[] = "\xD6\xD0\xCE\xC4";
constexpr char kGbkUtf8[] = "\xE4\xB8\xAD\xE6\x96\x87";
constexpr char kBig5[] = "\xA4\x40\xA4\x41";
constexpr char kBig5Utf8[] = "\xE4\xB8\x80\xE4\xB9\x99";

class EncodeTest : public qztest::PlatformTest {
  protected:
    // Whether the conversion library is still loaded in this process.
    bool IconvLoaded()
    {
        void *h = dlopen(qzsim::MapPath("/lib/libiconv.so").c_str(), RTLD_NOW | RTLD_NOLOAD);
        if (h != nullptr) dlclose(h);
        return h != nullptr;
    }
};

TEST_F(EncodeTest, ConvertsEachEncodingAndChainsThem)
{
    const std::string utf8 = "h\xC3\xA9llo \xE4\xB8\xAD";
    struct Case {
        const char *name;
        std::string src, out;
    } cases[] = {
        {"utf8 unchanged", utf8, utf8},
        {"empty", "", ""},
        {"gbk", kGbk, kGbkUtf8},
        {"utf8 then gbk", "ab" + std::string(kGbk), "ab" + std::string(kGbkUtf8)},
        {"utf8 then big5", "x" + std::string(kBig5), "x" + std::string(kBig5Utf8)},
        // Each attempt continues where the previous stopped: UTF-8, GBK, BIG5,
        // then ISO-8859-1 for everything from the byte the others refuse.
        {"all four", "ab\xD6\xD0" + std::string(kBig5) + "\xFFz\xD6\xD0",
         "ab\xE4\xB8\xAD" + std::string(kBig5Utf8) + "\xC3\xBFz\xC3\x96\xC3\x90"},
        {"latin1 only", "\xFF", "\xC3\xBF"},
        {"incomplete at the end", "ab\xD6", "ab\xC3\x96"},
    };
    for (const auto &c : cases) {
        Dest dst(64, '\0');
        EXPECT_EQ(WLAN_ForceToEncodeUtf8(c.src.c_str(), dst.dest(), dst.size()), 0u) << c.name;
        EXPECT_EQ(dst.str(), c.out) << c.name;
        EXPECT_TRUE(dst.GuardsIntact());
        EXPECT_FALSE(IconvLoaded()) << c.name;
    }
    EXPECT_TRUE(qzsim::LastWords().empty());
}

TEST_F(EncodeTest, SmallDestinations)
{
    struct Case {
        const char *src;
        size_t size;
        uint32_t rc;
        const char *out;
    } cases[] = {
        {"a", 2, 0, "a"},
        {"ab", 2, 1, "a"},  // one byte stays free for the terminator
        // The Chinese character needs three bytes; the Latin-1 attempt still
        // takes its first byte into the two that are left.
        {"ab\xD6\xD0", 5, 1, "ab\xC3\x96"},
        {"ab\xD6\xD0", 6, 0, "ab\xE4\xB8\xAD"},
        {"\xFF", 2, 1, ""},  // two UTF-8 bytes for one input byte
    };
    for (const auto &c : cases) {
        Dest dst(c.size, '\0');
        qzsim::ClearRecords();
        EXPECT_EQ(WLAN_ForceToEncodeUtf8(c.src, dst.dest(), dst.size()), c.rc) << c.src << "/" << c.size;
        EXPECT_EQ(dst.str(), c.out) << c.src << "/" << c.size;
        EXPECT_EQ(dst.bytes().back(), '\0');
        EXPECT_EQ(qztest::CountLastWords("wlan_trans_encode", 1), c.rc) << c.src;
        EXPECT_TRUE(dst.GuardsIntact());
        EXPECT_FALSE(IconvLoaded());
    }
}

TEST_F(EncodeTest, RefusedBeforeTheLibraryIsLoaded)
{
    // A pending load failure stays pending through the refused calls.
    qzsim::FailCall("QZ_OS_LoadLibrary", 0);
    char buf[4] = {};
    struct Case {
        const char *src;
        char *dst;
        uint32_t size;
    } cases[] = {{"a", buf, 1}, {"a", buf, 0}, {nullptr, buf, 4}, {"a", nullptr, 4}};
    for (const auto &c : cases) EXPECT_EQ(WLAN_ForceToEncodeUtf8(c.src, c.dst, c.size), 1u) << c.size;
    EXPECT_EQ(qztest::CountLastWords("wlan_trans_encode", 1), 4u);
    EXPECT_EQ(WLAN_ForceToEncodeUtf8("a", buf, sizeof(buf)), 1u);  // the load fault fires only now
    EXPECT_EQ(buf[0], '\0');
}

TEST_F(EncodeTest, MissingLibraryOrSymbol)
{
    char buf[8] = {};
    qzsim::MapOverride("/lib/libiconv.so", "");  // nothing at the gateway's path below the root
    EXPECT_EQ(WLAN_ForceToEncodeUtf8("abc", buf, sizeof(buf)), 1u);
    EXPECT_EQ(qztest::CountLastWords("wlan_trans_encode", 1), 1u);
    qzsim::Reset();

    // libiconv_open, libiconv, libiconv_close missing in turn: released, nothing written.
    for (int missing = 0; missing < 3; missing++) {
        qzsim::ClearRecords();
        qzsim::FailCall("QZ_OS_FindSymbol", 0, missing, 1);
        EXPECT_EQ(WLAN_ForceToEncodeUtf8("abc", buf, sizeof(buf)), 1u) << missing;
        EXPECT_EQ(qztest::CountLastWords("wlan_trans_encode", 1), 1u);
        EXPECT_EQ(buf[0], '\0');
        EXPECT_FALSE(IconvLoaded()) << missing;
    }
    EXPECT_EQ(WLAN_ForceToEncodeUtf8("abc", buf, sizeof(buf)), 0u);
    EXPECT_STREQ(buf, "abc");
}

}  // namespace
