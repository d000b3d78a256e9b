#include <gtest/gtest.h>

#include "settings/settings_override.h"
#include "support/fresh_process.h"

namespace vorlix {

class SettingsOverride : public testing::FreshProcessTest {};

TEST_F(SettingsOverride, ReplacesOnlyWhatWasGivenClampedAsTheDialogClamps) {
    SettingsRecord record;
    record.Density = 120;
    record.HighlightDensity = 30;
    ApplySettingsOverrides(record);
    EXPECT_EQ(record.Density, 120u);
    EXPECT_EQ(record.HighlightDensity, 30u);

    OverrideDensity(401);
    ApplySettingsOverrides(record);
    EXPECT_EQ(record.Density, 400u);
    EXPECT_EQ(record.HighlightDensity, 30u);

    OverrideHighlight(250);
    OverrideDensity(0);
    ApplySettingsOverrides(record);
    EXPECT_EQ(record.Density, 0u);
    EXPECT_EQ(record.HighlightDensity, 100u);

    ClearSettingsOverrides();
    record.Density = 7;
    ApplySettingsOverrides(record);
    EXPECT_EQ(record.Density, 7u);
}

}  // namespace vorlix
