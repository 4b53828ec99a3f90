// The window program's two user settings: the output box's background and text colours.
#include "window/modSettings.h"

#include <Hollin0106/AutomationError.h>
#include "window/SettingsStore.h"

using namespace Hollin0106;

namespace modSettings {

std::int32_t OutBoxBackColor = kDefaultBackColor;
std::int32_t OutBoxForeColor = kDefaultForeColor;

namespace {

constexpr char16_t kSection[] = u"Out Box";
constexpr char16_t kBackKey[] = u"Back Color";
constexpr char16_t kForeKey[] = u"Fore Color";

std::int32_t ReadColor(const SettingsStore& store, const char16_t* key, std::int32_t defaultColor)
{
    const Variant stored = store.ReadValue(kSection, key, SettingsStore::vkNumber, Variant(kUseDefault));
    try {
        return ColorOrDefault(stored.toLong(), defaultColor);
    } catch (const AutomationError&) {
        // Text written into the store by hand: the colour is unusable, not the settings.
        return defaultColor;
    }
}

}  // namespace

std::int32_t ColorOrDefault(std::int32_t stored, std::int32_t defaultColor)
{
    if (stored == kUseDefault || stored < 0 || stored > 0xFFFFFF) return defaultColor;
    return stored;
}

void LoadSettings()
{
    const SettingsStore store;
    OutBoxBackColor = ReadColor(store, kBackKey, kDefaultBackColor);
    OutBoxForeColor = ReadColor(store, kForeKey, kDefaultForeColor);
}

void SaveSettings()
{
    SettingsStore store;
    store.WriteValue(kSection, kBackKey, SettingsStore::vkNumber, Variant(OutBoxBackColor));
    store.WriteValue(kSection, kForeKey, SettingsStore::vkNumber, Variant(OutBoxForeColor));
}

}  // namespace modSettings
