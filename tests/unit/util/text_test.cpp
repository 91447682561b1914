// Local MACs, channel sorting, the shell-shown file, white space, printable
// checks, JSON members.
#include <cstring>
#include <filesystem>
#include <fstream>
#include <tuple>

#include "qz_sim_util.h"
#include "util_test.h"

namespace {

using utiltest::Dest;

class TextTest : public qztest::PlatformTest {
  protected:
    bool Exists(const std::string &path) { return std::filesystem::exists(Under(path)); }
    std::string ShellLog() { return qztest::ReadFile(Under("/var/log/qzsim/shell.log")); }
};

TEST_F(TextTest, LocalMacOffsetCarriesAndChannelSort)
{
    // Base, offset, size, the MAC (null: nothing written).
    const std::tuple<const char *, uint32_t, uint32_t, const char *> cases[] = {
        {"00:11:22:33:44:55", 0, 18, "02:11:22:33:44:55"},  // locally administered
        {"00:11:22:33:FF:FF", 1, 18, "00:11:22:34:00:00"},
        {"00:11:22:FF:FF:FF", 1, 18, "00:11:22:00:00:00"},      // no carry into the third byte
        {"00:11:22:33:44:10", 0x100, 18, "00:11:22:33:45:10"},  // one carry whatever the offset
        {"00:11:22:33:44:10", 0x20000, 18, "00:11:22:33:44:10"},
        {"00:11:22:33:44:55", 0, 17, nullptr},
        {"00-11-22", 0, 18, nullptr},  // the converter refuses
    };
    for (const auto &[base, offset, size, mac] : cases) {
        Dest dst(18);
        qzsim::ClearRecords();
        WLAN_GenerateLocalMac(base, dst.dest(), size, offset);
        EXPECT_EQ(dst.bytes(), mac ? std::string(mac) + '\0' : std::string(18, '\x5A')) << base << offset;
        EXPECT_EQ(qzsim::LastWords().size(), mac ? 0u : 1u);
        EXPECT_TRUE(dst.GuardsIntact());
    }

    std::vector<uint8_t> ch = {149, 36, 6, 1, 36, 255, 0xAB};  // the last byte is outside the count
    QZ_WLAN_SortChannels(ch.data(), 6);
    EXPECT_EQ(ch, (std::vector<uint8_t>{1, 6, 36, 36, 149, 255, 0xAB}));
}

TEST_F(TextTest, CatFileShowsTheTextAndRemovesTheFile)
{
    // Only paths that cannot form shell syntax are taken.
    for (const char *path :
         {"/tmp/wlan+log", "/tmp/a@b,c~%", "/tmp/x:y=1", "/tmp/Az09._-x", "/tmp/-n", "/tmp/\xE6\x97\xA5"}) {
        EXPECT_EQ(WLAN_CatFile("x", path, 1), 0u) << path;
        EXPECT_NE(ShellLog().find(std::string("cat ") + path), std::string::npos);
        EXPECT_FALSE(Exists(path));
    }
    EXPECT_TRUE(qzsim::LastWords().empty());
    EXPECT_EQ(WLAN_CatFile("x", "/tmp/cat_empty.txt", 0), 1u);  // nothing written: removed
    EXPECT_FALSE(Exists("/tmp/cat_empty.txt"));
    EXPECT_EQ(WLAN_CatFile("x", "/no_such_dir/cat.txt", 1), 0xF7603003u);
    EXPECT_EQ(WLAN_CatFile("x", "", 1), 0xF7603003u);  // an empty path goes to the open, which fails
    EXPECT_EQ(qztest::CountLastWords("wlan_base", 0xF7603003u), 2u);
    qzsim::ClearRecords();
    const size_t logged = ShellLog().size();
    const std::string refused = " \t\n\x7F;$`|&'\"\\<>(){}*?[]!";
    for (char c : refused) EXPECT_EQ(WLAN_CatFile("x", ("/tmp/a" + std::string(1, c) + "b").c_str(), 1), 1u) << c;
    for (const char *path : {"~/x", "#x", static_cast<const char *>(nullptr)})
        EXPECT_EQ(WLAN_CatFile("x", path, 1), 1u);
    EXPECT_EQ(qztest::CountLastWords("wlan_base", 1), refused.size() + 3);
    EXPECT_EQ(ShellLog().size(), logged);
    EXPECT_TRUE(std::filesystem::is_empty(Under("/tmp")));

    // An existing file is overwritten from its start, not truncated.
    std::ofstream(Under("/tmp/cat_keep.txt")) << "0123456789";
    qzsim::FailCall("QZ_OS_Remove", -1);
    EXPECT_EQ(WLAN_CatFile("ab", "/tmp/cat_keep.txt", 2), 0u);
    EXPECT_EQ(qztest::ReadFile(Under("/tmp/cat_keep.txt")), "ab23456789");
}

TEST_F(TextTest, StripAndPrintable)
{
    char blanks[] = "  ab", only[] = "   ";
    EXPECT_EQ(QZ_WLAN_StrStrip(blanks), blanks + 2);
    EXPECT_EQ(QZ_WLAN_StrStrip(only), only + 3);

    const std::pair<const char *, uint32_t> cases[] = {{"", 1},      {" ~\x7F", 1}, {"a\tb", 0}, {"caf\xC3\xA9", 0},
                                                       {"x\x80", 0}, {"\xFF", 0}};
    for (const auto &[text, printable] : cases) EXPECT_EQ(QZ_OS_IsPrintableStr(text), printable) << text;
    EXPECT_EQ(QZ_OS_IsPrintableStr(nullptr), 0u);
    EXPECT_EQ(qztest::CountLastWords("wlan_base", 0xFFFFFFFFu), 1u);
}

TEST_F(TextTest, JsonAddGetRefusalsAndFailedCalls)
{
    void *root = qzsim::JsonNew({{"o", {{"inner", 7}}}});
    void *child = qzsim::JsonNew({{"k", "v"}});
    int32_t n = -42;
    WLAN_JSON_ITEM adds[] = {{"n", &n, 0, 0}, {"s", const_cast<char *>("text"), 1, 0}, {"c", child, 3, 0}};
    for (const auto &item : adds) EXPECT_EQ(WLAN_AddJsonItem(&item, root), 0u) << item.pcKey;
    qzsim::JsonFree(child);  // the object holds its own copy
    EXPECT_EQ(qzsim::JsonValue(root)["c"], nlohmann::json({{"k", "v"}}));

    int32_t got = 0, inner = 0;
    Dest s(5);
    WLAN_JSON_ITEM gets[] = {{"n", &got, 0, 0}, {"s", s.dest(), 1, s.size()}, {"o", nullptr, 3, 0}};
    for (auto &item : gets) ASSERT_EQ(WLAN_GetJsonItem(root, &item), 0u) << item.pcKey;
    WLAN_JSON_ITEM innerItem = {"inner", &inner, 0, 0};  // the member's handle is an object
    EXPECT_EQ(WLAN_GetJsonItem(gets[2].pValue, &innerItem), 0u);
    EXPECT_EQ(std::to_string(got) + "/" + s.str() + "/" + std::to_string(inner), "-42/text/7");
    EXPECT_TRUE(qzsim::LastWords().empty());

    // A type 2 is refused, silently on add. Otherwise the JSON call's answer is
    // the result, traced with the item's type: no key, another type, too small.
    WLAN_JSON_ITEM type2 = {"s", &n, 2, 0};
    EXPECT_EQ(WLAN_AddJsonItem(&type2, root), 1u);
    EXPECT_TRUE(qzsim::LastWords().empty());
    char small[4];
    WLAN_JSON_ITEM bad[] = {type2, {"missing", &n, 0, 0}, {"s", &n, 0, 0}, {"s", small, 1, sizeof(small)}};
    const uint32_t codes[] = {1, 2, 3, 4};
    for (size_t i = 0; i < std::size(bad); i++) {
        EXPECT_EQ(WLAN_GetJsonItem(root, &bad[i]), codes[i]) << i;
        EXPECT_EQ(utiltest::LastCodeAndValue(), std::make_pair(codes[i], bad[i].uiType));
    }
    qzsim::FailCall("JSON_ObjAddKeyValueString", 0x77);
    WLAN_JSON_ITEM str = {"x", const_cast<char *>("v"), 1, 0};
    EXPECT_EQ(WLAN_AddJsonItem(&str, root), 0x77u);
    EXPECT_EQ(qztest::CountLastWords("wlan_base", 0x77), 1u);
    EXPECT_EQ(WLAN_AddJsonItem(nullptr, root), 1u);
    qzsim::JsonFree(root);
}

}  // namespace
