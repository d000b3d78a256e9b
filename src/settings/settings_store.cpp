#include "settings/settings_store.h"

#include <cstdio>
#include <cstring>

#include "diagnostics/debug_log.h"
#include "platform/desktop.h"
#include "platform/registry.h"
#include "platform/screen_layout.h"
#include "platform/window_messages.h"
#include "settings/resolution_table.h"
#include "settings/settings_override.h"

namespace vorlix {

SettingsRecord Settings;

namespace {

using platform::RegistryKey;

constexpr const char* KeyPath = "Software\\Korvanth\\Vorlix";

// Set by a load that found the store unreadable; the text the user is shown.
char StoreRefusal[768] = {};

// What a new settings store starts with: the host's own screen size where it offers one.
const char* DefaultResolutionText() {
    return platform::OffersDesktopSize() ? DesktopSizeText : "1024x768";
}

void SetResolutionText(const char* text) {
    std::memset(Settings.ResolutionText, 0, sizeof Settings.ResolutionText);
    std::memcpy(Settings.ResolutionText, text, std::strlen(text));
}

void ShowSettingsError(WindowHandle owner, const char* text) {
    platform::ShowMessageBox(owner, text, "Vorlix", MB_ICONERROR);
}

bool WriteText(RegistryKey key, const char* name, const char* text, std::uint32_t length) {
    return platform::SetRegistryValue(key, name, REG_SZ, text, length);
}

bool WriteNumber(RegistryKey key, const char* name, std::uint32_t value) {
    const std::uint8_t bytes[4] = {
        static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
        static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    return platform::SetRegistryValue(key, name, REG_DWORD, bytes, sizeof bytes);
}

bool WriteResolution(RegistryKey key) {
    return WriteText(key, "Resolution", Settings.ResolutionText,
                     ResolutionTextLength(Settings.ResolutionText));
}

// Reads through a scratch buffer: a failed read leaves nothing undefined behind, and a
// terminator byte that some stores add is not part of the text.
bool ReadResolution(RegistryKey key) {
    constexpr std::uint32_t limit = sizeof Settings.ResolutionText;
    char scratch[limit + 1] = {};
    std::uint32_t size = sizeof scratch;
    if (!platform::QueryRegistryValue(key, "Resolution", scratch, size)) return false;
    if (size == limit + 1 && scratch[limit] == '\0') size = limit;
    if (size > limit) return false;
    std::memset(Settings.ResolutionText, 0, sizeof Settings.ResolutionText);
    std::memcpy(Settings.ResolutionText, scratch, size);
    return true;
}

// Four bytes, little-endian; a shorter value counts with its missing high bytes as zero.
bool ReadNumber(RegistryKey key, const char* name, std::uint32_t& value) {
    std::uint8_t bytes[4] = {};
    std::uint32_t size = sizeof bytes;
    if (!platform::QueryRegistryValue(key, name, bytes, size)) return false;
    value = 0;
    for (std::uint32_t i = 0; i < size && i < sizeof bytes; ++i)
        value |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
    return true;
}

bool WriteDefaults(RegistryKey key, WindowHandle owner) {
    SetResolutionText(DefaultResolutionText());
    const char* failure = nullptr;
    if (!WriteResolution(key))
        failure = "[WinMain] Unable to set resolution value in "
                  "HKEY_LOCAL_MACHINE/Software/Korvanth/Vorlix";
    else if (!WriteNumber(key, "Density", Settings.Density))
        failure = "[WinMain] Unable to set density value in "
                  "HKEY_LOCAL_MACHINE/Software/Korvanth/Vorlix";
    else if (!WriteNumber(key, "HighlightDensity", Settings.HighlightDensity))
        failure = "[WinMain] Unable to set highlight density value in "
                  "HKEY_LOCAL_MACHINE/Software/Korvanth/Vorlix";
    if (failure == nullptr) return true;
    platform::CloseRegistryKey(key);
    ShowSettingsError(owner, failure);
    return false;
}

// A missing or unreadable value is written back from memory; only when that fails too is
// the load given up.
bool ReadValues(RegistryKey key, WindowHandle owner) {
    const char* failure = nullptr;
    if (!ReadResolution(key) && !WriteResolution(key))
        failure = "[WinMain] Unable to get resolution value from "
                  "HKEY_LOCAL_MACHINE/Software/Korvanth/Vorlix";
    else if (!ReadNumber(key, "Density", Settings.Density) &&
             !WriteNumber(key, "Density", Settings.Density))
        failure = "[WinMain] Unable to get density value from "
                  "HKEY_LOCAL_MACHINE/Software/Korvanth/Vorlix";
    else if (!ReadNumber(key, "HighlightDensity", Settings.HighlightDensity) &&
             !WriteNumber(key, "HighlightDensity", Settings.HighlightDensity))
        failure = "Unable to get highlight density value from "
                  "HKEY_LOCAL_MACHINE/Software/Korvanth/Vorlix";
    // The grid holds no more streams than this.
    if (Settings.Density > MaxDensity) Settings.Density = MaxDensity;
    // The zoom is the Linux host's alone; missing, it stays automatic and is not written.
    if (failure == nullptr && platform::OffersDesktopSize()) {
        if (!ReadNumber(key, "Zoom", Settings.Zoom)) Settings.Zoom = 0;
        if (Settings.Zoom > MaxZoom) Settings.Zoom = MaxZoom;
    }
    if (failure == nullptr) return true;
    platform::CloseRegistryKey(key);
    ShowSettingsError(owner, failure);
    return false;
}

// A store that is there but cannot be read is left alone: the defaults stand in for it.
void RefuseStore(const char* why) {
    std::snprintf(StoreRefusal, sizeof StoreRefusal,
                  "%s\n\nThe file is left as it is: Vorlix runs with its default settings "
                  "and saves nothing over it.",
                  why);
    Settings = SettingsRecord{};
    Settings.StoreRefused = true;
    SetResolutionText(DefaultResolutionText());
}

}  // namespace

const char* SettingsStoreRefusal() { return Settings.StoreRefused ? StoreRefusal : nullptr; }

bool LoadSettings(WindowHandle owner) {
    RegistryKey key = 0;
    bool created = false;
    Settings.StoreRefused = false;
    if (!platform::CreateRegistryKey(platform::RegistryRoot::LocalMachine, KeyPath, key,
                                     created)) {
        ShowSettingsError(owner, "[WinMain] Unable to open/create software registry key");
        return false;
    }
    if (const char* why = platform::UnreadableStoreReason(key)) {
        RefuseStore(why);
        platform::CloseRegistryKey(key);
    } else {
        if (created && !WriteDefaults(key, owner)) return false;
        if (!ReadValues(key, owner)) return false;
        platform::CloseRegistryKey(key);
    }

    int index = ResolutionIndexOf(Settings.ResolutionText);
    if (index != 0) Settings.ResolutionIndex = index;
    if (platform::OffersDesktopSize() && IsDesktopSizeText(Settings.ResolutionText))
        Settings.ResolutionIndex = DesktopSizeIndex;
    const ResolutionRow& row = ResolutionRowOf(Settings.ResolutionIndex);
    Settings.ScreenWidth = row.width;
    Settings.ScreenHeight = row.height;
    ApplySettingsOverrides(Settings);
    return true;
}

void SaveSettings(WindowHandle owner) {
    if (Settings.StoreRefused) {
        LogMessage("Settings not saved: the settings file could not be read", LOG_WARNING);
        return;
    }
    RegistryKey key = 0;
    if (!platform::OpenRegistryKey(platform::RegistryRoot::LocalMachine, KeyPath, true, key)) {
        ShowSettingsError(owner, "Unable to open registry key to store values");
        return;
    }
    // One change: a save cut short leaves the values before it or after it, never a mix.
    platform::BeginRegistryBatch(key);
    const char* failure = nullptr;
    if (!WriteResolution(key))
        failure = "Unable to set resolution settings in registry";
    else if (!WriteNumber(key, "Density", Settings.Density))
        failure = "Unable to set density settings in registry";
    else if (!WriteNumber(key, "HighlightDensity", Settings.HighlightDensity))
        failure = "Unable to set density settings in registry";
    else if (platform::OffersDesktopSize() && !WriteNumber(key, "Zoom", Settings.Zoom))
        failure = "Unable to set zoom settings in registry";
    else if (!platform::CommitRegistryBatch(key))
        failure = "Unable to store the settings in registry";
    if (failure != nullptr) ShowSettingsError(owner, failure);
    platform::CloseRegistryKey(key);
}

}  // namespace vorlix
