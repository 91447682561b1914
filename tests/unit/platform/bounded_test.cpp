// The bounded operations every part of the library leans on: a copy that does
// not fit fails with a distinct code and leaves an empty string; formatters
// report overflow so callers drop the record whole.
#include <cstdarg>
#include <cstring>

#include "qz_platform.h"
#include "qz_sim_bounded.h"
#include "qz_guarded.h"
#include "qz_test.h"

namespace {

using qztest::Guarded;

int CallVsnprintf(char *dest, size_t destMax, size_t count, const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    int n = vsnprintf_s(dest, destMax, count, fmt, ap);
    va_end(ap);
    return n;
}

TEST(Bounded, StringCopiesFitOrFailEmpty)
{
    struct Case {
        size_t destSize;
        const char *src;
        int expected;
        const char *result;
    } cases[] = {
        {6, "hello", QZ_SIM_EOK, "hello"},  // exactly fits with its NUL
        {5, "hello", QZ_SIM_ERANGE, ""},    // one byte short: empty, not "hell"
        {1, "", QZ_SIM_EOK, ""},           {1, "a", QZ_SIM_ERANGE, ""}, {6, nullptr, QZ_SIM_EINVAL, ""},
    };
    for (const auto &c : cases) {
        Guarded g(c.destSize);
        EXPECT_EQ(strcpy_s(g.dest(), c.destSize, c.src), c.expected) << c.destSize;
        EXPECT_STREQ(g.dest(), c.result);
        EXPECT_TRUE(g.GuardsIntact());
    }
    EXPECT_EQ(strcpy_s(nullptr, 4, "a"), QZ_SIM_EINVAL);
    Guarded zero(0);
    EXPECT_EQ(strcpy_s(zero.dest(), 0, "a"), QZ_SIM_EINVAL);
    EXPECT_TRUE(zero.GuardsIntact());
}

TEST(Bounded, CountedCopyReadsNoMoreThanCount)
{
    const char word[4] = {'a', 'b', 'c', 'd'};  // no terminator
    Guarded g(8);
    EXPECT_EQ(strncpy_s(g.dest(), 8, word, 4), QZ_SIM_EOK);
    EXPECT_STREQ(g.dest(), "abcd");
    Guarded shortDest(4);
    EXPECT_EQ(strncpy_s(shortDest.dest(), 4, word, 4), QZ_SIM_ERANGE);
    EXPECT_STREQ(shortDest.dest(), "");
    EXPECT_TRUE(g.GuardsIntact() && shortDest.GuardsIntact());
}

TEST(Bounded, ConcatenationAndMemoryOperations)
{
    Guarded g(8);
    strcpy_s(g.dest(), 8, "abc");
    EXPECT_EQ(strcat_s(g.dest(), 8, "defg"), QZ_SIM_EOK);
    EXPECT_STREQ(g.dest(), "abcdefg");
    EXPECT_EQ(strcat_s(g.dest(), 8, "h"), QZ_SIM_ERANGE);
    EXPECT_STREQ(g.dest(), "");

    Guarded m(4);
    EXPECT_EQ(memcpy_s(m.dest(), 4, "12345", 5), QZ_SIM_ERANGE);
    EXPECT_EQ(memcmp(m.dest(), "\0\0\0\0", 4), 0);
    EXPECT_EQ(memcpy_s(m.dest(), 4, "1234", 4), QZ_SIM_EOK);
    EXPECT_EQ(memcpy_s(m.dest(), 4, m.dest() + 1, 2), QZ_SIM_EOVERLAP);
    EXPECT_EQ(memset_s(m.dest(), 4, 'z', 5), QZ_SIM_ERANGE);
    EXPECT_EQ(memset_s(m.dest(), 4, 'y', 4), QZ_SIM_EOK);
    EXPECT_EQ(memcmp(m.dest(), "yyyy", 4), 0);
    EXPECT_TRUE(g.GuardsIntact() && m.GuardsIntact());
}

TEST(Bounded, FormattersReportOverflow)
{
    Guarded g(6);
    EXPECT_EQ(sprintf_s(g.dest(), 6, "%s", "hello"), 5);
    EXPECT_EQ(sprintf_s(g.dest(), 6, "%s", "hello!"), -1);
    EXPECT_STREQ(g.dest(), "");
    // The counted form answers the whole length on overflow and keeps nothing.
    EXPECT_EQ(CallVsnprintf(g.dest(), 6, 6, "%d", 123456), 6);
    EXPECT_STREQ(g.dest(), "");
    EXPECT_EQ(CallVsnprintf(g.dest(), 6, 3, "%d", 1234), 4);
    EXPECT_STREQ(g.dest(), "");
    EXPECT_EQ(CallVsnprintf(g.dest(), 6, 6, "%d", 12345), 5);
    EXPECT_STREQ(g.dest(), "12345");
    EXPECT_EQ(CallVsnprintf(nullptr, 6, 6, "x"), -1);
    EXPECT_TRUE(g.GuardsIntact());

    unsigned v = 0;
    EXPECT_EQ(sscanf_s("42", "%u", &v), 1);
    EXPECT_EQ(v, 42u);
    EXPECT_EQ(sscanf_s("abc", "%u", &v), 0);
}

}  // namespace
