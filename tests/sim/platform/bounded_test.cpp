// The bounded operations every part of the library leans on: a copy that does
// not fit fails with a distinct code and leaves an empty string; formatters
// report overflow so callers drop the record whole; a text conversion of
// sscanf_s takes its destination size after the pointer and fails instead of
// cutting the text.
#include <cstdarg>
#include <cstring>
#include <string>
#include <tuple>

#include "qz_platform.h"
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

TEST(Bounded, StringAndMemoryCopiesAndFormatters)
{
    const char word[4] = {'a', 'b', 'c', 'd'};  // no terminator: the counted copy reads no more than its count
    // Operation ('c' strcpy_s, 'n' strncpy_s of 4 bytes, 'a' strcat_s), size,
    // text before, source, answer and text after.
    const std::tuple<char, size_t, const char *, const char *, int, const char *> cases[] = {
        {'c', 6, "", "hello", 0, "hello"},  // exactly fits with its NUL
        {'c', 5, "", "hello", 34, ""},      // one byte short: empty, not "hell"
        {'c', 6, "", nullptr, 22, ""},         {'n', 8, "", word, 0, "abcd"},    {'n', 4, "", word, 34, ""},
        {'a', 8, "abc", "defg", 0, "abcdefg"}, {'a', 8, "abcdefg", "h", 34, ""},
    };
    for (const auto &[op, size, before, src, expected, result] : cases) {
        Guarded g(size);
        strcpy(g.dest(), before);
        int rc = op == 'c'   ? strcpy_s(g.dest(), size, src)
                 : op == 'n' ? strncpy_s(g.dest(), size, src, 4)
                             : strcat_s(g.dest(), size, src);
        EXPECT_EQ(std::to_string(rc) + ":" + g.dest(), std::to_string(expected) + ":" + result) << op << size;
    }
    EXPECT_EQ(strcpy_s(nullptr, 4, "a"), 22);
    Guarded zero(0);
    EXPECT_EQ(strcpy_s(zero.dest(), 0, "a"), 22);
    EXPECT_EQ(strcpy_s(zero.dest(), 0x80000000u, "a"), 22);  // a size above 2^31 - 1 is a caller's bug

    Guarded m(4);
    EXPECT_EQ(memcpy_s(m.dest(), 4, "12345", 5), 34);
    EXPECT_EQ(memcmp(m.dest(), "\0\0\0\0", 4), 0);
    EXPECT_EQ(memcpy_s(m.dest(), 4, "1234", 4), 0);
    EXPECT_EQ(memcpy_s(m.dest(), 4, m.dest() + 1, 2), 54);
    EXPECT_EQ(memset_s(m.dest(), 4, 'z', 5), 34);
    EXPECT_EQ(memset_s(m.dest(), 4, 'y', 4), 0);
    EXPECT_EQ(memcmp(m.dest(), "yyyy", 4), 0);

    Guarded g(6);
    EXPECT_EQ(sprintf_s(g.dest(), 6, "%s", "hello"), 5);
    EXPECT_EQ(sprintf_s(g.dest(), 6, "%s", "hello!"), -1);
    EXPECT_STREQ(g.dest(), "");
    // The counted form answers the whole length on overflow and keeps nothing.
    const std::tuple<size_t, int, const char *> counted[] = {
        {6, 123456, "6:"}, {3, 1234, "4:"}, {6, 12345, "5:12345"}};  // count, value, answer and text
    for (const auto &[count, value, expected] : counted)
        EXPECT_EQ(std::to_string(CallVsnprintf(g.dest(), 6, count, "%d", value)) + ":" + g.dest(), expected);
    EXPECT_EQ(CallVsnprintf(nullptr, 6, 6, "x"), -1);
}

TEST(Bounded, ScanfTextFitsOrFails)
{
    // Input, format, size, the answer and what the destination holds after.
    const std::tuple<const char *, const char *, unsigned, const char *> cases[] = {
        {"aa:bb:cc:dd:ee:01", "%s", 18, "1:aa:bb:cc:dd:ee:01"},  // 17 characters and the NUL
        {"aa:bb:cc:dd:ee:012", "%s", 18, "0:"},                  // one too many: fails, not cut
        {"abcdef", "%3s", 8, "1:abc"},                           // an explicit width below the size still applies
        {"abcdef", "%9s", 4, "0:"},                              // a width above the size is held to it, and fails
        {"xyz", "%c", 1, "1:x"},
        {"xyz", "%2c", 1, "-1:untouched"},  // the width does not fit: nothing read
        {"abc123", "%[a-z]", 8, "1:abc"},
        {"abc]x", "%[]a-c]", 8, "1:abc]"},
        {"", "%s", 8, "-1:untouched"},
        {"abc", "%s", 0, "-1:untouched"},
    };
    for (const auto &[input, fmt, size, expected] : cases) {
        Guarded g(size);
        int rc = sscanf_s(input, fmt, g.dest(), size);
        size_t len = strcmp(fmt, "%c") == 0 ? 1 : strnlen(g.dest(), size);
        EXPECT_EQ(std::to_string(rc) + ":" + (g.Untouched() ? "untouched" : g.bytes().substr(0, len)), expected)
            << input << " " << fmt;
    }

    unsigned index = 0;
    char mac[18];
    int skipped = 0;
    EXPECT_EQ(sscanf_s("7 aa:bb:cc:dd:ee:ff 9", "%u %s %*d", &index, mac, 18u), 2);
    EXPECT_EQ(std::to_string(index) + " " + mac, "7 aa:bb:cc:dd:ee:ff");
    // The fields before the one that does not fit stay assigned.
    char small[4] = "zz";
    EXPECT_EQ(sscanf_s("5 long 6", "%u %s %d", &index, small, 4u, &skipped), 1);
    EXPECT_EQ(std::to_string(index) + small, "5");
    EXPECT_EQ(sscanf_s("50%", "%u%%", &index), 1);
    EXPECT_EQ(index, 50u);
    EXPECT_EQ(sscanf_s("abc", "%u", &index), 0);
}

}  // namespace
