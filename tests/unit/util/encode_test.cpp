// Forced UTF-8 through the gateway's libiconv, loaded by the real dynamic
// loader: real GBK, BIG5 and ISO-8859-1 bytes, chained attempts, small
// destinations.
#include <dlfcn.h>

#include <tuple>
#include <vector>

#include "util_test.h"

namespace {

using utiltest::Dest;

// "中文" in GBK, "一乙" in BIG5 (bytes GBK refuses), and their UTF-8 forms.
const std::string kGbk = "\xD6\xD0\xCE\xC4", kGbkUtf8 = "\xE4\xB8\xAD\xE6\x96\x87";
const std::string kBig5 = "\xA4\x40\xA4\x41", kBig5Utf8 = "\xE4\xB8\x80\xE4\xB9\x99";

using EncodeTest = qztest::PlatformTest;

// Converts into a guarded destination of `size` bytes: the result code and
// the text; the library is released and nothing is written outside.
std::pair<uint32_t, std::string> Convert(const std::string &src, size_t size)
{
    Dest dst(size, '\0');
    uint32_t rc = WLAN_ForceToEncodeUtf8(src.c_str(), dst.dest(), dst.size());
    EXPECT_TRUE(dst.GuardsIntact());
    EXPECT_EQ(dst.bytes().back(), '\0');
    void *h = dlopen(qzsim::MapPath("/lib/libiconv.so").c_str(), RTLD_NOW | RTLD_NOLOAD);
    EXPECT_EQ(h, nullptr) << "still loaded";
    if (h != nullptr) dlclose(h);
    return {rc, dst.str()};
}

TEST_F(EncodeTest, ConvertsEachEncodingAndChainsThem)
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
}

TEST_F(EncodeTest, RefusedArgumentsMissingLibraryOrSymbol)
{
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

}  // namespace
