// The window program's settings store: QSettings in INI form in the user's configuration
// folder, organisation "Quovix", application "Tag Scope".
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include <Hollin0106/Variant.h>

class QWidget;

// Section "" addresses keys outside any section.
class SettingsStore {
public:
    enum ValueKind : std::int32_t { vkText = 0, vkNumber = 1 };

    // The stored value, or `defaultValue` when the key is missing. A number read as
    // vkNumber comes back as a 32-bit integer; stored text that is no such number comes
    // back as that text, so a caller's conversion decides. vkText gives text.
    Hollin0106::Variant ReadValue(const std::u16string& section, const std::u16string& key, ValueKind kind,
                      const Hollin0106::Variant& defaultValue) const;

    // Stores `value` (converted to a 32-bit integer for vkNumber, to text for vkText) and
    // writes it to disk. Raises error 13 for a value that does not convert and error 75
    // when the store cannot be written.
    void WriteValue(const std::u16string& section, const std::u16string& key, ValueKind kind,
                    const Hollin0106::Variant& value);

    // Applies the placement stored under the key (Qt's saved geometry); false when none
    // is stored or it cannot be applied.
    bool RestoreWindowPlacement(const std::u16string& section, const std::u16string& key, QWidget& window) const;
    // Stores the window's placement; error 75 when the store cannot be written.
    void SaveWindowPlacement(const std::u16string& section, const std::u16string& key, const QWidget& window);
};

// Runs `store`, a write of something the program only remembers for the user's
// convenience (the save folder, recent entries, zoom, placement and colours at exit). A
// failure does not stop the caller: the first one of the run is told in one line on
// standard error, later ones are silent. False when `store` failed.
bool StoreBestEffort(const std::function<void()>& store);
