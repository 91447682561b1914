// Configuration-database parameter lists: building, releasing on failure,
// and applying delivered values through a descriptor table.
#include <string>
#include <tuple>

#include "qz_platform.h"
#include "qz_wlan_query.h"
#include "query_test.h"

namespace {

using qztest::Guarded;
using qztest::QueryTest;

// A live list as "id type value-address-index" per element, the index of the
// element's value in values (-1: elsewhere); "none" for no live list.
std::string Listed(uint32_t handle, const void *values, size_t stride)
{
    auto list = qzsim::XmlDbList(handle);
    if (!list) return "none";
    std::string out;
    for (const auto &p : *list) {
        auto offset = static_cast<const char *>(p.value) - static_cast<const char *>(values);
        out += std::to_string(p.id) + " " + std::to_string(p.type) + " " +
               std::to_string(offset % stride == 0 ? offset / static_cast<long>(stride) : -1) + ";";
    }
    return out;
}

TEST_F(QueryTest, ListsReferToTheCallersValuesInPlace)
{
    WLAN_DB_KEY_S keys[3] = {{0x101, 7}, {0x102, 8}, {0x103, 9}};
    uint32_t handle = 0;
    ASSERT_EQ(WLAN_DB_AllocAppendKeyList(&handle, keys, 3), 0u);
    // Keys are always 32-bit values (type 1), referred to in the caller's array.
    EXPECT_EQ(Listed(handle, &keys[0].uiValue, sizeof(keys[0])), "257 1 0;258 1 1;259 1 2;");
    EXPECT_EQ(QZ_XML_DBFreeParaList(handle), 0u);

    char texts[2][8] = {"", "abc"};
    WLAN_DB_PARA_S paras[2] = {{0x201, texts[0], 1u}, {0x202, texts[1], 6u}};
    ASSERT_EQ(WLAN_DB_AllocAppendParaList(&handle, paras, 2), 0u);
    EXPECT_EQ(Listed(handle, texts, sizeof(texts[0])), "513 1 0;514 6 1;");
    EXPECT_EQ(QZ_XML_DBFreeParaList(handle), 0u);

    ASSERT_EQ(WLAN_DB_AllocAppendKeyList(&handle, keys, 0), 0u);  // an empty list
    EXPECT_EQ(Listed(handle, keys, 1), "");
    EXPECT_EQ(QZ_XML_DBFreeParaList(handle), 0u);
    EXPECT_EQ(QZ_XML_DBFreeParaList(handle), 0x1E000001u);  // the platform refuses a freed handle
    EXPECT_EQ(qzsim::XmlDbLiveLists(), 0u);
}

TEST_F(QueryTest, FailedBuildReleasesTheListAndReportsTheElement)
{
    WLAN_DB_KEY_S keys[3] = {{0x101, 7}, {0x102, 8}, {0x103, 9}};
    uint32_t number = 5;
    WLAN_DB_PARA_S paras[3] = {{0x201, &number, 1}, {0x202, &number, 6}, {0x203, &number, 1}};
    const std::string keyAddress = std::to_string(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&keys[1].uiValue)));
    // A key list or not, the platform call that fails after `skip` calls that
    // pass; the last words (element 1 of 3 with its id, 0x102 or 0x202).
    const std::tuple<bool, const char *, int, std::string> cases[] = {
        {true, "QZ_XML_DBAppendAllParaToParaList", 1, "wlan_db 195887105 1 3 258 " + keyAddress + "\n"},
        {false, "QZ_XML_DBAppendAllParaToParaList", 1, "wlan_db 195887105 514 6 0 0\n"},
        {true, "QZ_XML_DBAllocParaList", 0, "wlan_db 195887105 3 0 0 0\n"},
    };
    for (const auto &[keyList, fail, skip, words] : cases) {
        SCOPED_TRACE(testing::Message() << keyList << fail);
        qzsim::ClearRecords();
        qzsim::FailCall(fail, 0x0BAD0001, skip);
        uint32_t handle = 0;
        EXPECT_EQ(
            keyList ? WLAN_DB_AllocAppendKeyList(&handle, keys, 3) : WLAN_DB_AllocAppendParaList(&handle, paras, 3),
            0x0BAD0001u);
        EXPECT_EQ(Listed(handle, keys, 1), "none");
        EXPECT_EQ(Words(4), words);
    }
    uint32_t handle = 0;
    EXPECT_EQ(WLAN_DB_AllocAppendKeyList(nullptr, keys, 3), 1u);
    EXPECT_EQ(WLAN_DB_AllocAppendParaList(&handle, nullptr, 3), 1u);
    EXPECT_EQ(qzsim::XmlDbLiveLists(), 0u);
    EXPECT_EQ(qzsim::LiveBlocks(), 0u);
}

TEST_F(QueryTest, DeliveredValuesAreAppliedThroughTheirRow)
{
    constexpr uint8_t kUnset = 0xAA;  // 170
    // Type, always changed, destination size, the value delivered; the changed
    // flag, what the destination then holds, the number of last words.
    const std::tuple<uint32_t, uint32_t, uint32_t, std::string, std::string> cases[] = {
        {1, 0, 4, "42", "0 42 0"},    // same number
        {1, 0, 4, "43", "1 43 0"},    // new number
        {1, 1, 4, "42", "1 42 0"},    // same number, always changed
        {6, 0, 8, "old", "0 old 0"},  // same text
        {6, 0, 8, "Old", "1 Old 0"},  // new text
        {6, 0, 0, "new", "1  0"},     // text, no destination size
        {6, 0, 4, "longer", "1  1"},  // text too long: left cleared
        {3, 0, 4, "43", "170 0 1"},   // an unknown type
        {3, 1, 4, "43", "1 0 1"},     // an unknown type, always changed
    };
    for (const auto &[type, alwaysChanged, destSize, delivered, expected] : cases) {
        qzsim::ClearRecords();
        uint32_t oldNumber = 42, destNumber = 0, deliveredNumber = type == 6 ? 0 : std::stoul(delivered);
        uint8_t changed = kUnset;
        Guarded destText(destSize);
        bool text = type == 6;
        WLAN_DB_PARA_DESC_S table[2] = {
            {0x300, 1, 0, &oldNumber, nullptr, nullptr, 0},  // never selected
            {0x301, type, alwaysChanged, text ? static_cast<const void *>("old") : &oldNumber, &changed,
             text ? static_cast<void *>(destText.dest()) : &destNumber, destSize},
        };
        WLAN_DB_GetParaByCmo(0x301, text ? static_cast<const void *>(delivered.c_str()) : &deliveredNumber, table, 2);
        EXPECT_EQ(std::to_string(changed) + " " +
                      (text ? std::string(destText.bytes().c_str()) : std::to_string(destNumber)) + " " +
                      std::to_string(qzsim::LastWords().size()),
                  expected)
            << type << "/" << alwaysChanged << "/" << delivered;
    }

    // An unknown parameter, or none to look in, touches nothing.
    uint32_t oldNumber = 1, dest = 77, delivered = 2;
    uint8_t changed = kUnset;
    WLAN_DB_PARA_DESC_S table[1] = {{0x300, 1, 1, &oldNumber, &changed, &dest, 4}};
    qzsim::ClearRecords();
    WLAN_DB_GetParaByCmo(0x399, &delivered, table, 1);
    WLAN_DB_GetParaByCmo(0x300, &delivered, table, 0);
    EXPECT_EQ(changed, kUnset);
    EXPECT_EQ(dest, 77u);
    EXPECT_EQ(Words(2), "wlan_db 1 1 921\nwlan_db 1 0 768\n");
}

}  // namespace
