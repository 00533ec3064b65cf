#include <gtest/gtest.h>

#include "fixed_text.h"

namespace vantrel {
namespace {

TEST(FixedText, KeepsOneUnitLessThanItsSize) {
    FixedText<4> text(u"abcdef");
    EXPECT_EQ(text.view(), u"abc");
    EXPECT_EQ(text.c_str()[3], u'\0');
    text = u"ab";
    EXPECT_EQ(text.view(), u"ab");
    text = u"";
    EXPECT_TRUE(text.empty());
    FixedText<1> none(u"x");
    EXPECT_EQ(none.view(), u"");
}

TEST(FixedText, NeverSplitsASurrogatePair) {
    // U+1F600 is the pair D83D DE00.
    FixedText<4> cut(u"ab\U0001F600");
    EXPECT_EQ(cut.view(), u"ab");
    FixedText<5> whole(u"ab\U0001F600");
    EXPECT_EQ(whole.view(), u"ab\U0001F600");
    // A lone low surrogate at the cut is not half of anything that follows.
    EXPECT_EQ(CutToBuffer(u"ab\xDE00x", 4), u"ab\xDE00");
    EXPECT_EQ(CutToBuffer(u"abc", 0), u"");
}

}  // namespace
}  // namespace vantrel
