// Local MAC derivation, channel sorting, the shell-shown temporary file,
// white space and printable checks, JSON members, the encoders' check.
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "qz_sim_bounded.h"
#include "qz_sim_util.h"
#include "util/wlan_base_internal.h"
#include "util_test.h"

namespace {

using utiltest::Dest;

class TextTest : public qztest::PlatformTest {
  protected:
    bool Exists(const std::string &path) { return std::filesystem::exists(Under(path)); }
    void Write(const std::string &path, const std::string &text) { std::ofstream(Under(path)) << text; }
    std::string ShellLog() { return qztest::ReadFile(Under("/var/log/qzsim/shell.log")); }
};

TEST_F(TextTest, LocalMacAndOffsetCarries)
{
    struct Case {
        const char *base;
        uint32_t offset;
        const char *mac;
    } cases[] = {
        {"00:11:22:33:44:55", 0, "02:11:22:33:44:55"},  // locally administered
        {"02:11:22:33:44:55", 0, "02:11:22:33:44:55"},
        {"00:11:22:33:44:55", 1, "00:11:22:33:44:56"},  // no local bit with an offset
        {"00:11:22:33:44:FF", 1, "00:11:22:33:45:00"},
        {"00:11:22:33:FF:FF", 1, "00:11:22:34:00:00"},
        {"00:11:22:FF:FF:FF", 1, "00:11:22:00:00:00"},  // no carry into the third byte
        {"00:11:22:33:44:10", 0xEF, "00:11:22:33:44:FF"},
        {"00:11:22:33:44:10", 0xF0, "00:11:22:33:45:00"},
        {"00:11:22:33:44:10", 0x100, "00:11:22:33:45:10"},    // one carry whatever the offset
        {"00:11:22:33:44:10", 0x20000, "00:11:22:33:44:10"},  // bits 8 to 15 of the sum are zero
    };
    for (const auto &c : cases) {
        Dest dst(18);
        WLAN_GenerateLocalMac(c.base, dst.p(), dst.size(), c.offset);
        EXPECT_EQ(dst.str(), c.mac) << c.base << " + " << c.offset;
        EXPECT_TRUE(dst.intact());
    }
    EXPECT_TRUE(qzsim::LastWords().empty());
}

TEST_F(TextTest, LocalMacRefusalsWriteNothing)
{
    struct Case {
        const char *base;
        bool nullDest;
        uint32_t size;
        uint32_t code;
    } cases[] = {
        {"00:11:22:33:44:55", false, 17, 1},
        {nullptr, false, 18, 1},
        {"00:11:22:33:44:55", true, 18, 1},
        {"00-11-22", false, 18, 1},  // the converter's answer
    };
    for (const auto &c : cases) {
        Dest dst(18);
        qzsim::ClearRecords();
        WLAN_GenerateLocalMac(c.base, c.nullDest ? nullptr : dst.p(), c.size, 0);
        EXPECT_EQ(dst.bytes(), std::string(18, '\x5A'));
        EXPECT_EQ(qztest::CountLastWords("wlan_base", c.code), 1u);
    }
    qzsim::FailCall("UTIL_MacStrToHex", 0x55);
    Dest dst(18);
    WLAN_GenerateLocalMac("00:11:22:33:44:55", dst.p(), dst.size(), 1);
    EXPECT_EQ(qztest::CountLastWords("wlan_base", 0x55), 1u);

    uint8_t mac[6] = {1, 2, 3, 4, 5, 6};
    uint8_t small[5];
    WLAN_AddMacOffset(mac, small, sizeof(small), 1);
    EXPECT_EQ(utiltest::LastFailure().code, static_cast<uint32_t>(QZ_SIM_ERANGE));
    EXPECT_EQ(utiltest::LastFailure().value1, 5u);
}

TEST_F(TextTest, SortChannels)
{
    struct Case {
        std::vector<uint8_t> in, out;
    } cases[] = {
        {{149, 36, 6, 1, 36}, {1, 6, 36, 36, 149}}, {{255, 0, 128}, {0, 128, 255}}, {{7}, {7}}, {{}, {}},
        {{3, 2, 1, 2, 3}, {1, 2, 2, 3, 3}},
    };
    for (auto &c : cases) {
        auto ch = c.in;
        ch.push_back(0xAB);  // guard: not part of the count
        QZ_WLAN_SortChannels(ch.data(), static_cast<uint32_t>(c.in.size()));
        EXPECT_EQ(ch.back(), 0xAB);
        ch.pop_back();
        EXPECT_EQ(ch, c.out);
    }
}

TEST_F(TextTest, CatFileShowsTheDataThroughTheShellAndRemovesTheFile)
{
    const char data[] = "hello\n";
    EXPECT_EQ(WLAN_CatFile(data, "/tmp/cat_show.txt", 6), 0u);
    EXPECT_NE(ShellLog().find("cat /tmp/cat_show.txt"), std::string::npos);
    EXPECT_FALSE(Exists("/tmp/cat_show.txt"));
    EXPECT_TRUE(qzsim::LastWords().empty());

    // An existing file is overwritten from its start, not truncated.
    Write("/tmp/cat_keep.txt", "0123456789");
    qzsim::FailCall("QZ_OS_Remove", -1, 0, -1);
    EXPECT_EQ(WLAN_CatFile("ab", "/tmp/cat_keep.txt", 2), 0u);
    EXPECT_EQ(qztest::ReadFile(Under("/tmp/cat_keep.txt")), "ab23456789");
}

TEST_F(TextTest, CatFileFailures)
{
    // Nothing written: the file is removed and the platform's last error traced.
    EXPECT_EQ(WLAN_CatFile("x", "/tmp/cat_empty.txt", 0), 1u);
    EXPECT_FALSE(Exists("/tmp/cat_empty.txt"));
    EXPECT_EQ(qztest::CountLastWords("wlan_base", 1), 1u);

    qzsim::ClearRecords();
    EXPECT_EQ(WLAN_CatFile("x", "/no_such_dir/cat.txt", 1), WLAN_ERR_FILE_OPEN);
    EXPECT_EQ(qztest::CountLastWords("wlan_base", WLAN_ERR_FILE_OPEN), 1u);

    qzsim::ClearRecords();
    qzsim::FailCall("QZ_OS_CmdFormat", -1);
    EXPECT_EQ(WLAN_CatFile("x", "/tmp/cat_fmt.txt", 1), 1u);
    EXPECT_FALSE(Exists("/tmp/cat_fmt.txt"));
    EXPECT_EQ(utiltest::LastFailure().value1, static_cast<uint32_t>(-1));
    EXPECT_EQ(ShellLog(), "");
}

TEST_F(TextTest, CatFileRefusesPathsTheShellCouldInterpret)
{
    const char *paths[] = {"/tmp/a;touch /tmp/owned",
                           "/tmp/$(touch /tmp/owned)",
                           "/tmp/`touch x`",
                           "/tmp/a b",
                           "/tmp/a|b",
                           "/tmp/a>b",
                           "/tmp/a&b",
                           "/tmp/'q'",
                           "/tmp/a\nb",
                           "",
                           nullptr};
    for (const char *path : paths) {
        qzsim::ClearRecords();
        EXPECT_EQ(WLAN_CatFile("x", path, 1), 1u) << (path ? path : "(null)");
        EXPECT_EQ(qztest::CountLastWords("wlan_base", 1), 1u);
    }
    EXPECT_EQ(ShellLog(), "");
    EXPECT_FALSE(Exists("/tmp/owned"));
    EXPECT_TRUE(std::filesystem::is_empty(Under("/tmp")));
    // The allowed characters all pass.
    EXPECT_EQ(WLAN_CatFile("x", "/tmp/Az09._-x", 1), 0u);
}

TEST_F(TextTest, StrStripAndPrintable)
{
    struct Strip {
        const char *text;
        size_t skipped;
    } strips[] = {{"  ab", 2}, {"   ", 3}, {"", 0}, {"a b ", 0}, {"\t\n\r\v\fx", 5}};
    for (const auto &c : strips) {
        std::vector<char> text(c.text, c.text + strlen(c.text) + 1);
        EXPECT_EQ(QZ_WLAN_StrStrip(text.data()), text.data() + c.skipped) << c.text;
        EXPECT_STREQ(text.data(), c.text);  // unchanged
    }

    struct Ch {
        unsigned char c;
        uint32_t printable;
    } chars[] = {{0x00, 0}, {0x1F, 0}, {0x20, 1}, {0x7E, 1}, {0x7F, 1}, {0x80, 0}, {0xC3, 0}, {0xFF, 0}};
    for (const auto &c : chars) EXPECT_EQ(QZ_OS_IsPrintable(static_cast<char>(c.c)), c.printable) << int(c.c);

    struct Str {
        const char *text;
        uint32_t printable;
    } strs[] = {{"", 1}, {"abc ~", 1}, {"a\tb", 0}, {"caf\xC3\xA9", 0}, {"\x7F", 1}, {"x\x80", 0}};
    for (const auto &c : strs) EXPECT_EQ(QZ_OS_IsPrintableStr(c.text), c.printable) << c.text;
    EXPECT_TRUE(qzsim::LastWords().empty());
    EXPECT_EQ(QZ_OS_IsPrintableStr(nullptr), 0u);
    EXPECT_EQ(qztest::CountLastWords("wlan_base", 0xFFFFFFFFu), 1u);
}

class JsonTest : public TextTest {
  protected:
    void SetUp() override
    {
        TextTest::SetUp();
        root_ = qzsim::JsonNew({{"n", -42}, {"s", "text"}, {"o", {{"inner", 7}}}, {"big", 4294967296LL}});
    }
    void TearDown() override
    {
        qzsim::JsonFree(root_);
        TextTest::TearDown();
    }
    void *root_ = nullptr;
};

TEST_F(JsonTest, AddEachType)
{
    int32_t n = 2147483647;
    char s[] = "value";
    void *child = qzsim::JsonNew({{"k", "v"}});
    WLAN_JSON_ITEM items[] = {
        {"int", &n, WLAN_JSON_TYPE_INT, 0},
        {"str", s, WLAN_JSON_TYPE_STRING, 0},
        {"obj", child, WLAN_JSON_TYPE_OBJECT, 0},
    };
    for (const auto &item : items) EXPECT_EQ(WLAN_AddJsonItem(&item, root_), 0u) << item.pcKey;
    qzsim::JsonFree(child);  // the object holds its own copy
    auto j = qzsim::JsonValue(root_);
    EXPECT_EQ(j["int"], 2147483647);
    EXPECT_EQ(j["str"], "value");
    EXPECT_EQ(j["obj"], nlohmann::json({{"k", "v"}}));
    EXPECT_TRUE(qzsim::LastWords().empty());
}

TEST_F(JsonTest, GetEachType)
{
    int32_t n = 0;
    Dest s(5);
    WLAN_JSON_ITEM intItem = {"n", &n, WLAN_JSON_TYPE_INT, 0};
    WLAN_JSON_ITEM strItem = {"s", s.p(), WLAN_JSON_TYPE_STRING, s.size()};
    WLAN_JSON_ITEM objItem = {"o", nullptr, WLAN_JSON_TYPE_OBJECT, 0};
    EXPECT_EQ(WLAN_GetJsonItem(root_, &intItem), 0u);
    EXPECT_EQ(n, -42);
    EXPECT_EQ(WLAN_GetJsonItem(root_, &strItem), 0u);
    EXPECT_EQ(s.str(), "text");
    EXPECT_TRUE(s.intact());
    ASSERT_EQ(WLAN_GetJsonItem(root_, &objItem), 0u);
    // The item's value field now holds the member's handle, usable as an object.
    int32_t inner = 0;
    WLAN_JSON_ITEM innerItem = {"inner", &inner, WLAN_JSON_TYPE_INT, 0};
    EXPECT_EQ(WLAN_GetJsonItem(objItem.pValue, &innerItem), 0u);
    EXPECT_EQ(inner, 7);
    EXPECT_TRUE(qzsim::LastWords().empty());
}

TEST_F(JsonTest, RefusedTypesAndFailedCalls)
{
    int32_t n = 0;
    WLAN_JSON_ITEM type2 = {"n", &n, 2, 0};
    EXPECT_EQ(WLAN_AddJsonItem(&type2, root_), 1u);
    EXPECT_TRUE(qzsim::LastWords().empty());  // silent on add
    EXPECT_EQ(WLAN_GetJsonItem(root_, &type2), 1u);
    ASSERT_EQ(qzsim::LastWords().size(), 1u);
    EXPECT_EQ(utiltest::LastFailure().code, 1u);
    EXPECT_EQ(utiltest::LastFailure().value1, 2u);

    qzsim::ClearRecords();
    EXPECT_EQ(WLAN_AddJsonItem(nullptr, root_), 1u);
    EXPECT_EQ(WLAN_GetJsonItem(root_, nullptr), 1u);
    EXPECT_EQ(qztest::CountLastWords("wlan_base", 1), 2u);

    // The JSON call's answer is the result, traced with the item's type.
    char small[4];
    struct Case {
        WLAN_JSON_ITEM item;
        uint32_t rc;
    } gets[] = {
        {{"missing", &n, WLAN_JSON_TYPE_INT, 0}, qzsim::kJsonNoKey},
        {{"s", &n, WLAN_JSON_TYPE_INT, 0}, qzsim::kJsonWrongType},
        {{"big", &n, WLAN_JSON_TYPE_INT, 0}, qzsim::kJsonWrongType},  // beyond 32 bits
        {{"s", small, WLAN_JSON_TYPE_STRING, sizeof(small)}, qzsim::kJsonTooSmall},
        {{"n", nullptr, WLAN_JSON_TYPE_OBJECT, 0}, qzsim::kJsonWrongType},
    };
    for (auto &c : gets) {
        qzsim::ClearRecords();
        EXPECT_EQ(WLAN_GetJsonItem(root_, &c.item), c.rc) << c.item.pcKey;
        EXPECT_EQ(utiltest::LastFailure().code, c.rc);
        EXPECT_EQ(utiltest::LastFailure().value1, c.item.uiType);
    }
    qzsim::ClearRecords();
    qzsim::FailCall("JSON_ObjAddKeyValueString", 0x77);
    WLAN_JSON_ITEM str = {"x", small, WLAN_JSON_TYPE_STRING, 0};
    small[0] = '\0';
    EXPECT_EQ(WLAN_AddJsonItem(&str, root_), 0x77u);
    EXPECT_EQ(qztest::CountLastWords("wlan_base", 0x77), 1u);
    EXPECT_EQ(qzsim::JsonValue(root_).count("x"), 0u);
}

TEST_F(TextTest, EncodeParaInValid)
{
    char buf[4];
    struct Case {
        const char *in;
        const char *out;
        uint32_t size;
        uint32_t invalid;
    } cases[] = {{"a", buf, 2, 0}, {"a", buf, 1, 1}, {"a", buf, 0, 1}, {nullptr, buf, 2, 1}, {"a", nullptr, 2, 1}};
    for (const auto &c : cases) EXPECT_EQ(WLAN_EncodeParaInValid(c.in, c.out, c.size), c.invalid) << c.size;
    EXPECT_TRUE(qzsim::LastWords().empty());
}

}  // namespace
