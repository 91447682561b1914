// sscanf_s text conversions: each takes its destination size after the
// pointer; a text that does not fit fails instead of being cut, and nothing
// is written outside the destination.
#include <cstring>
#include <string>

#include "qz_guarded.h"
#include "qz_platform.h"
#include "qz_test.h"

namespace {

TEST(ScanfText, TextFitsOrFails)
{
    struct Case {
        const char *input, *fmt;
        unsigned size;
        int result;
        const char *text;  // what the destination holds after; null: untouched
    } cases[] = {
        {"aa:bb:cc:dd:ee:01", "%s", 18, 1, "aa:bb:cc:dd:ee:01"},  // 17 characters and the NUL
        {"aa:bb:cc:dd:ee:012", "%s", 18, 0, ""},                  // one too many: fails, not cut
        {"word rest", "%s", 8, 1, "word"},
        {"abcdef", "%3s", 8, 1, "abc"},  // an explicit width below the size still applies
        {"abcdef", "%9s", 4, 0, ""},     // a width above the size is held to it, and fails
        {"xyz", "%c", 1, 1, "x"},
        {"xyz", "%2c", 1, -1, nullptr},  // the width does not fit: nothing read
        {"abc123", "%[a-z]", 8, 1, "abc"},
        {"abc]x", "%[]a-c]", 8, 1, "abc]"},
        {"", "%s", 8, -1, nullptr},
        {"abc", "%s", 0, -1, nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.input) + " " + c.fmt);
        qztest::Guarded g(c.size);
        EXPECT_EQ(sscanf_s(c.input, c.fmt, g.dest(), c.size), c.result);
        EXPECT_TRUE(g.GuardsIntact());
        if (c.text == nullptr) {
            EXPECT_TRUE(g.Untouched());
        } else {
            EXPECT_EQ(std::string(g.dest(), strcmp(c.fmt, "%c") == 0 ? 1 : strnlen(g.dest(), c.size)), c.text);
        }
    }
}

TEST(ScanfText, MixedConversionsKeepTheirOrder)
{
    unsigned index = 0;
    char mac[18];
    int skipped = 0;
    EXPECT_EQ(sscanf_s("7 aa:bb:cc:dd:ee:ff 9", "%u %s %*d", &index, mac, 18u), 2);
    EXPECT_EQ(index, 7u);
    EXPECT_STREQ(mac, "aa:bb:cc:dd:ee:ff");
    // The fields before the one that does not fit stay assigned.
    char small[4] = "zz";
    EXPECT_EQ(sscanf_s("5 long 6", "%u %s %d", &index, small, 4u, &skipped), 1);
    EXPECT_EQ(index, 5u);
    EXPECT_STREQ(small, "");
    EXPECT_EQ(sscanf_s("50%", "%u%%", &index), 1);
    EXPECT_EQ(index, 50u);
}

}  // namespace
