#include "settings/settings_reset.h"

#include "settings/settings_override.h"
#include "settings/settings_store.h"

namespace vorlix {

void ResetSettingsState() {
    Settings = SettingsRecord{};
    ClearSettingsOverrides();
}

}  // namespace vorlix
