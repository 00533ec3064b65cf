#include <gtest/gtest.h>

#include <climits>

#include "number.h"

namespace vantrel {
namespace {

struct ParseCase {
    const char16_t* text;
    std::int32_t expected;
};

TEST(ParseDecimal, FollowsTheRuntimeRulesAndSaturates) {
    const ParseCase cases[] = {
        {u"60", 60},
        {u"90s", 90},                 // digits up to the first other character
        {u"  45", 45},                // leading blanks
        {u"\t\r\n\v\f 7", 7},         // every white-space character
        {u"abc", 0},                  // no leading digits
        {u"", 0},
        {u"-12", -12},
        {u"+8", 8},
        {u"- 5", 0},                  // a sign must touch its digits
        {u"--5", 0},
        {u"0x1F", 0},                 // decimal only
        {u"007", 7},
        {u"2147483647", INT32_MAX},
        {u"2147483648", INT32_MAX},   // one past the top saturates
        {u"99999999999999999999999999", INT32_MAX},
        {u"-2147483648", INT32_MIN},
        {u"-2147483649", INT32_MIN},
        {u"-99999999999999999999999999", INT32_MIN},
        {u"\u00A05", 0},              // only ASCII white space is skipped
        {u"\uFF15", 0},               // full-width digits are not digits
    };
    for (const ParseCase& c : cases) {
        EXPECT_EQ(ParseDecimal(c.text), c.expected)
            << std::string(WideView(c.text).begin(), WideView(c.text).end());
    }
}

TEST(FormatDecimal, PrintsLikePrintf) {
    EXPECT_EQ(FormatDecimal(0), "0");
    EXPECT_EQ(FormatDecimal(900), "900");
    EXPECT_EQ(FormatDecimal(-3), "-3");
    EXPECT_EQ(FormatDecimal(INT32_MIN), "-2147483648");
    EXPECT_EQ(FormatDecimal(INT64_MIN), "-9223372036854775808");
    // "%02d": the width counts the sign, zeros go after it.
    EXPECT_EQ(FormatDecimal(5, 2), "05");
    EXPECT_EQ(FormatDecimal(0, 2), "00");
    EXPECT_EQ(FormatDecimal(120, 2), "120");
    EXPECT_EQ(FormatDecimal(-5, 2), "-5");
    EXPECT_EQ(FormatDecimal(-5, 3), "-05");
    EXPECT_EQ(FormatDecimalWide(7, 2), u"07");
}

TEST(SaturatingArithmetic, ClampsAtTheLimits) {
    EXPECT_EQ(SaturatingMultiply(15, 60), 900);
    EXPECT_EQ(SaturatingMultiply(35791394, 60), 2147483640);
    EXPECT_EQ(SaturatingMultiply(35791395, 60), INT32_MAX);
    EXPECT_EQ(SaturatingMultiply(INT32_MAX, 60), INT32_MAX);
    EXPECT_EQ(SaturatingMultiply(-35791395, 60), INT32_MIN);
    EXPECT_EQ(SaturatingDecrement(1), 0);
    EXPECT_EQ(SaturatingDecrement(INT32_MIN), INT32_MIN);
}

}  // namespace
}  // namespace vantrel
