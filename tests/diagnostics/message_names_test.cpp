#include "diagnostics/message_names.h"
#include "support/fresh_process.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace vorlix {
namespace {

bool IsFallback(const char* name) {
    return name == SharedTitleBuffer;
}

class MessageNames : public testing::FreshProcessTest {};

TEST_F(MessageNames, KnownNumbersKeepTheirOwnSpelling) {
    EXPECT_STREQ(GetMessageName(0x0000), "WM_NULL");
    EXPECT_STREQ(GetMessageName(0x0010), "WM_CLOSE");
    EXPECT_STREQ(GetMessageName(0x000E), "WM_GETTEXTLENGHT");
    EXPECT_STREQ(GetMessageName(0x0028), "WM_NEWCTDLGCTL");
    EXPECT_STREQ(GetMessageName(0x0218), "WM_POWERBRAODCAST");
    EXPECT_STREQ(GetMessageName(0x004A), "WM_COPYDATA");
    EXPECT_STREQ(GetMessageName(0x004B), "WM_CANCELJOURNAL");
    EXPECT_STREQ(GetMessageName(0x0100), "WM_KEYFIRST/WM_KEYDOWN");
    EXPECT_STREQ(GetMessageName(0x0108), "WM_KEYLAST");
    EXPECT_STREQ(GetMessageName(0x010F), "WM_IME_COMPOSITION/WM_IME_KEYLAST");
    EXPECT_STREQ(GetMessageName(0x0200), "WM_MOUSEFIRST/WM_MOUSEMOVE");
    EXPECT_STREQ(GetMessageName(0x0358), "WM_HANDHELDFIRST");
    EXPECT_STREQ(GetMessageName(0x038F), "WM_PENWINLAST");
    EXPECT_STREQ(GetMessageName(0x8000), "WM_APP");
}

TEST_F(MessageNames, TheTableHas186EntriesUpTo0x8000) {
    int named = 0;
    for (std::uint32_t message = 0; message <= 0x10000; ++message) {
        if (!IsFallback(GetMessageName(message))) ++named;
    }
    EXPECT_EQ(named, 186);
    EXPECT_TRUE(IsFallback(GetMessageName(0xFFFFFFFFu)));
}

TEST_F(MessageNames, NumbersInsideANamedRangeHaveNoName) {
    EXPECT_STREQ(GetMessageName(0x0359), "UNKNOWN MESSAGE, id 0x359");
    EXPECT_TRUE(IsFallback(GetMessageName(0x0370)));
    EXPECT_TRUE(IsFallback(GetMessageName(0x0385)));
    EXPECT_STREQ(GetMessageName(0x020A), "UNKNOWN MESSAGE, id 0x20a");
    EXPECT_STREQ(GetMessageName(0x0400), "UNKNOWN MESSAGE, id 0x400");
    EXPECT_STREQ(GetMessageName(0x8001), "UNKNOWN MESSAGE, id 0x8001");
}

TEST_F(MessageNames, FallbackIsPaddedToFourCharactersWithItsPrefix) {
    EXPECT_STREQ(GetMessageName(0x0004), "UNKNOWN MESSAGE, id 0x04");
    EXPECT_STREQ(GetMessageName(0x0009), "UNKNOWN MESSAGE, id 0x09");
    EXPECT_STREQ(GetMessageName(0x0017), "UNKNOWN MESSAGE, id 0x17");
    EXPECT_STREQ(GetMessageName(0xDEADBEEFu), "UNKNOWN MESSAGE, id 0xdeadbeef");
}

TEST_F(MessageNames, FallbackTextIsOverwrittenByTheNext) {
    const char* first = GetMessageName(0x0004);
    std::string kept = first;
    const char* second = GetMessageName(0x0400);
    EXPECT_EQ(first, second);
    EXPECT_EQ(kept, "UNKNOWN MESSAGE, id 0x04");
    EXPECT_STREQ(first, "UNKNOWN MESSAGE, id 0x400");
    // A known name leaves the buffer alone.
    GetMessageName(0x0010);
    EXPECT_STREQ(SharedTitleBuffer, "UNKNOWN MESSAGE, id 0x400");
}

}  // namespace
}  // namespace vorlix
