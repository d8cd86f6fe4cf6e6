#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/comma_fields.h"

namespace kelt {
namespace {

using Fields = std::vector<std::string>;

TEST(CommaFields, AlwaysExactlyTheAskedNumberOfFields) {
    EXPECT_EQ(CommaFields("a,b", 3), (Fields{"a", "b", ""}));
    EXPECT_EQ(CommaFields("a,b,", 3), (Fields{"a", "b", ""}));
    EXPECT_EQ(CommaFields("a,b,c,d", 2), (Fields{"a", "b"}));
    EXPECT_EQ(CommaFields("", 2), (Fields{"", ""}));
    EXPECT_EQ(CommaFields(",,x", 3), (Fields{"", "", "x"}));
    EXPECT_TRUE(CommaFields("a,b", 0).empty());
}

TEST(CommaFields, OnlyBlanksAroundAPlainFieldAreDropped) {
    EXPECT_EQ(CommaFields("   1 ,            50.0", 2), (Fields{"1", "50.0"}));
    EXPECT_EQ(CommaFields("  a b  ,  c  ", 2), (Fields{"a b", "c"}));
    EXPECT_EQ(CommaFields("\t7\t, 8\n", 2), (Fields{"\t7\t", "8\n"}));
    EXPECT_EQ(CommaFields("    ", 1), (Fields{""}));
}

TEST(CommaFields, QuotedFieldRunsToTheNextQuote) {
    EXPECT_EQ(CommaFields(R"("12,5", 3)", 2), (Fields{"12,5", "3"}));
    EXPECT_EQ(CommaFields(R"(  " padded "  ,z)", 2), (Fields{" padded ", "z"}));
    EXPECT_EQ(CommaFields(R"("a"junk, more,b)", 3), (Fields{"a", "more", "b"}));
    EXPECT_EQ(CommaFields(R"("",x)", 2), (Fields{"", "x"}));
    // A quote further into a field is an ordinary character.
    EXPECT_EQ(CommaFields(R"(a"b,c")", 2), (Fields{R"(a"b)", R"(c")"}));
    // Nothing after the closing quote and no comma: the text is used up.
    EXPECT_EQ(CommaFields(R"("a" junk)", 2), (Fields{"a", ""}));
}

TEST(CommaFields, UnclosedQuoteTakesTheRestAsItStands) {
    EXPECT_EQ(CommaFields(R"(1, "abc,def  )", 3), (Fields{"1", "abc,def  ", ""}));
    EXPECT_EQ(CommaFields(R"(")", 2), (Fields{"", ""}));
}

}  // namespace
}  // namespace kelt
