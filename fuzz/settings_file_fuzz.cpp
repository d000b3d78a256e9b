// The Linux settings file: read from disk and parsed as the registry does; whatever parses
// must come back unchanged from what the program writes, before and after a value is set.
#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "platform/sdl/settings_file.h"

namespace {

using namespace vorlix::sdl;

constexpr char SettingsKey[] = "HKEY_LOCAL_MACHINE\\Software\\Korvanth\\Vorlix";

// A document that reads back as anything but itself loses settings on the next start.
void ExpectReadsBack(const SettingsDocument& document) {
    const std::string written = FormatSettingsDocument(document);
    if (written.size() > MaxSettingsFileBytes) return;
    SettingsDocument again;
    if (!ParseSettingsDocument(written, again)) std::abort();
    if (FormatSettingsDocument(again) != written) std::abort();
}

// What the settings store does with its key: read the three values, then set one.
void UseSettingsKey(SettingsDocument& document) {
    StoredKey* key = FindKey(document, SettingsKey);
    if (key == nullptr) return;
    for (const char* name : {"Resolution", "Density", "HighlightDensity"}) FindValue(*key, name);
    const std::uint8_t density[4] = {0x2c, 0x01, 0, 0};
    if (PutValue(*key, "Density", 4, density, sizeof density)) ExpectReadsBack(document);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const vorlix::fuzz::ScratchFile file("settings_file", ".reg");
    if (!vorlix::fuzz::WriteWhole(file.Path(), data, size)) return 0;
    std::string text;
    if (!ReadSettingsFile(file.Path(), text)) return 0;
    SettingsDocument document;
    if (!ParseSettingsDocument(text, document)) return 0;
    ExpectReadsBack(document);
    UseSettingsKey(document);
    return 0;
}
