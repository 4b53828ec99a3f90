// The window program's settings store.
#include "window/SettingsStore.h"

#include <QSettings>
#include <QWidget>

#include <cstdio>

#include <Hollin0106/AutomationError.h>
#include "common/Utf16.h"
#include "window/QtText.h"

using namespace Hollin0106;

namespace {

QSettings OpenSettings()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Quovix"), QStringLiteral("Tag Scope"));
}

QString SettingsKey(const std::u16string& section, const std::u16string& key)
{
    if (section.empty()) return ToQString(key);
    return ToQString(section) + u'/' + ToQString(key);
}

// A stored value as text. An INI value with unquoted commas reads back as a list; its
// parts are joined again so that such a text survives being edited by hand.
QString StoredText(const QVariant& value)
{
    if (value.typeId() == QMetaType::QStringList) return value.toStringList().join(u',');
    return value.toString();
}

void SyncOrRaise(QSettings& settings)
{
    settings.sync();
    if (settings.status() != QSettings::NoError)
        throw AutomationError(errnum::PathFileAccessError, u"SettingsStore",
                              u"Can't write the settings file " + FromQString(settings.fileName()));
}

}  // namespace

Variant SettingsStore::ReadValue(const std::u16string& section, const std::u16string& key, ValueKind kind,
                                 const Variant& defaultValue) const
{
    const QSettings settings = OpenSettings();
    const QString name = SettingsKey(section, key);
    if (!settings.contains(name)) return defaultValue;
    const std::u16string text = FromQString(StoredText(settings.value(name)));
    if (kind == vkNumber) {
        try {
            return Variant(Variant(text).toLong());
        } catch (const AutomationError&) {
            return Variant(text);
        }
    }
    return Variant(text);
}

void SettingsStore::WriteValue(const std::u16string& section, const std::u16string& key, ValueKind kind,
                               const Variant& value)
{
    QSettings settings = OpenSettings();
    if (kind == vkNumber)
        settings.setValue(SettingsKey(section, key), value.toLong());
    else
        settings.setValue(SettingsKey(section, key), ToQString(value.toString()));
    SyncOrRaise(settings);
}

bool SettingsStore::RestoreWindowPlacement(const std::u16string& section, const std::u16string& key,
                                           QWidget& window) const
{
    const QSettings settings = OpenSettings();
    const QByteArray geometry = settings.value(SettingsKey(section, key)).toByteArray();
    if (geometry.isEmpty()) return false;
    return window.restoreGeometry(geometry);
}

void SettingsStore::SaveWindowPlacement(const std::u16string& section, const std::u16string& key,
                                        const QWidget& window)
{
    QSettings settings = OpenSettings();
    settings.setValue(SettingsKey(section, key), window.saveGeometry());
    SyncOrRaise(settings);
}

bool StoreBestEffort(const std::function<void()>& store)
{
    static bool told = false;
    try {
        store();
        return true;
    } catch (const AutomationError& e) {
        if (!told) {
            told = true;
            std::fprintf(stderr, "Tagscope: settings not stored: %s\n", ToUtf8(e.Description).c_str());
        }
        return false;
    }
}
