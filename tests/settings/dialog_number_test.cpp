#include <gtest/gtest.h>

#include "settings/dialog_number.h"

namespace vorlix {

TEST(DialogNumber, ReadsDecimalDigitsWithBlanksAround) {
    EXPECT_EQ(ParseDialogNumber("401"), 401u);
    EXPECT_EQ(ParseDialogNumber("  42 "), 42u);
    EXPECT_EQ(ParseDialogNumber("007"), 7u);
    EXPECT_EQ(ParseDialogNumber("4294967295"), 4294967295u);
}

TEST(DialogNumber, AnythingElseReadsAsZero) {
    EXPECT_EQ(ParseDialogNumber(""), 0u);
    EXPECT_EQ(ParseDialogNumber("   "), 0u);
    EXPECT_EQ(ParseDialogNumber("abc"), 0u);
    EXPECT_EQ(ParseDialogNumber("-5"), 0u);
    EXPECT_EQ(ParseDialogNumber("+5"), 0u);
    EXPECT_EQ(ParseDialogNumber("12abc"), 0u);
    EXPECT_EQ(ParseDialogNumber("1 2"), 0u);
    EXPECT_EQ(ParseDialogNumber("4294967296"), 0u);
    EXPECT_EQ(ParseDialogNumber("99999999999999999999999"), 0u);
    EXPECT_EQ(ParseDialogNumber(nullptr), 0u);
}

}  // namespace vorlix
