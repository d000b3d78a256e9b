#include <gtest/gtest.h>

#include "platform/types.h"

namespace vorlix {

TEST(MessageParams, SizeMessageCarriesWidthAndHeightInItsWords) {
    LParam size = MakeLParam(1600, 1200);
    EXPECT_EQ(LowWord(size), 1600u);
    EXPECT_EQ(HighWord(size), 1200u);
    EXPECT_EQ(LowWord(MakeLParam(0x12345, 0)), 0x2345u);
}

}  // namespace vorlix
