#include "support/string.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

namespace vorlix {
namespace {

std::string Repeat(char c, std::size_t count) {
    return std::string(count, c);
}

TEST(StringCuts, OutsideTextKeepsAtMost254Characters) {
    EXPECT_EQ(String(Repeat('a', 300).c_str()).Length(), 254);
    EXPECT_EQ(String(Repeat('a', 255).c_str()).Length(), 254);
    EXPECT_EQ(String(Repeat('a', 254).c_str()).Length(), 254);
    EXPECT_EQ(String(Repeat('a', 253).c_str()).Length(), 253);

    String assigned;
    assigned.Assign(Repeat('b', 255).c_str());
    EXPECT_EQ(std::string(assigned.Text()), Repeat('b', 254));
}

TEST(StringCuts, AppendStopsAt254InAll) {
    String text(Repeat('x', 250).c_str());
    text.Append("0123456789");
    EXPECT_EQ(text.Length(), 254);
    EXPECT_EQ(std::string(text.Text()), Repeat('x', 250) + "0123");

    text.Append("more");
    EXPECT_EQ(text.Length(), 254);

    String shortOne("ab");
    shortOne.Append(Repeat('c', 300).c_str());
    EXPECT_EQ(shortOne.Length(), 254);
    EXPECT_EQ(std::string(shortOne.Text()), "ab" + Repeat('c', 252));
}

TEST(StringAppend, NumbersInDecimal) {
    String text("frame ");
    text.Append(-5);
    EXPECT_STREQ(text.Text(), "frame -5");

    String zero;
    zero.Append(0);
    EXPECT_STREQ(zero.Text(), "0");

    String lowest;
    lowest.Append(INT_MIN);
    EXPECT_STREQ(lowest.Text(), "-2147483648");

    String highest("v");
    highest.Append(INT_MAX).Append(".").Append(7);
    EXPECT_STREQ(highest.Text(), "v2147483647.7");
}

TEST(StringAppend, NumberIsCutLikeText) {
    String text(Repeat('x', 252).c_str());
    text.Append(-12345);
    EXPECT_EQ(std::string(text.Text()), Repeat('x', 252) + "-1");
}

TEST(StringAppend, NullChangesNothingAndOwnTextCanBeAppended) {
    String text("abc");
    text.Append(static_cast<const char*>(nullptr));
    EXPECT_STREQ(text.Text(), "abc");
    text.Append(text.Text());
    EXPECT_STREQ(text.Text(), "abcabc");
}

TEST(StringExtension, OnlyTheLastDotCounts) {
    String path("C:\\WINDOWS\\glyph2.ani");
    path.CutExtension();
    EXPECT_STREQ(path.Text(), "C:\\WINDOWS\\glyph2");

    String dotted("a.b.c");
    dotted.CutExtension();
    EXPECT_STREQ(dotted.Text(), "a.b");

    // A dot in a directory name is still the last dot when the file has none.
    String directoryDot("/home/me/v1.2/glyph2");
    directoryDot.CutExtension();
    EXPECT_STREQ(directoryDot.Text(), "/home/me/v1");

    String both("/opt/a.b/pic.tga");
    both.CutExtension();
    EXPECT_STREQ(both.Text(), "/opt/a.b/pic");
}

TEST(StringExtension, LeadingDotOrNoneIsKept) {
    for (const char* kept : {".ani", "noext", "", "."}) {
        String text(kept);
        text.CutExtension();
        EXPECT_STREQ(text.Text(), kept);
    }
}

TEST(StringExtension, FindLastNeverReportsTheStart) {
    String text(".a.b");
    EXPECT_EQ(text.FindLast(text.Text(), '.'), text.Text() + 2);
    EXPECT_EQ(text.FindLast(text.Text() + 2, '.'), text.Text() + 2);
    EXPECT_EQ(text.FindLast(text.Text(), 'z'), text.Text());
    EXPECT_EQ(text.FindLast(text.Text() + 4, '.'), text.Text() + 4);
}

TEST(StringEmpty, TextNeverNullTextOrNullIs) {
    String empty;
    EXPECT_EQ(empty.TextOrNull(), nullptr);
    EXPECT_STREQ(empty.Text(), "");
    EXPECT_EQ(empty.Length(), 0);
    EXPECT_EQ(empty.Next, nullptr);
    String filled("x");
    EXPECT_EQ(filled.TextOrNull(), filled.Text());
    EXPECT_EQ(String(static_cast<const char*>(nullptr)).Length(), 0);
}

TEST(StringAssign, NullKeepsTheOldContents) {
    String text("kept");
    String result = text.Assign(static_cast<const char*>(nullptr));
    EXPECT_STREQ(text.Text(), "kept");
    EXPECT_STREQ(result.Text(), "kept");
    text.Assign(static_cast<const String*>(nullptr));
    EXPECT_STREQ(text.Text(), "kept");

    String other("new");
    EXPECT_STREQ(text.Assign(&other).Text(), "new");
    EXPECT_STREQ(text.Text(), "new");
    text.Assign(&text);
    EXPECT_STREQ(text.Text(), "new");
}

TEST(StringChain, DestructionFreesTheWholeChain) {
    // The leak checker of the sanitizer build reports any link left behind.
    auto* head = new String("one");
    head->Next = new String("two");
    head->Next->Next = new String("three");
    head->Next->Next->Next = new String("four");
    delete head;

    String onStack("head");
    String* link = &onStack;
    for (int i = 0; i < 100000; ++i) {
        link->Next = new String("link");
        link = link->Next;
    }
}

TEST(StringChain, CopiesAndAssignmentsLeaveTheChainWhereItIs) {
    String owner("owner");
    owner.Next = new String("linked");
    String copy(owner);
    EXPECT_EQ(copy.Next, nullptr);
    EXPECT_STREQ(copy.Text(), "owner");

    String target("target");
    target.Next = new String("its own");
    target = owner;
    EXPECT_STREQ(target.Text(), "owner");
    ASSERT_NE(target.Next, nullptr);
    EXPECT_STREQ(target.Next->Text(), "its own");
    EXPECT_NE(target.Next, owner.Next);
}

}  // namespace
}  // namespace vorlix
