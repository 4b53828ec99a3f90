// The save dialog of the window's save commands.
#include "window/SaveFileDialog.h"

#include <Hollin0106/Variant.h>

#include "support/quovixsupportfbe.h"
#include "window/Dialogs.h"
#include "window/SettingsStore.h"

using Hollin0106::Variant;

namespace {

constexpr char16_t kPathsSection[] = u"OFN Paths";
constexpr char16_t kLastDirectoryKey[] = u"Last open TXT directory";

}  // namespace

std::u16string AskSaveFileName(QWidget* owner, const std::u16string& filter, const std::u16string& suggestedName)
{
    FileDialog dialog;
    dialog.Filter = filter;
    dialog.Options = 0;
    dialog.Owner = GetActiveWindow();
    if (dialog.Owner == nullptr) dialog.Owner = owner;
    SettingsStore store;
    dialog.InitDir = store.ReadValue(kPathsSection, kLastDirectoryKey, SettingsStore::vkText, Variant(u"")).toString();
    dialog.FileName = suggestedName;
    if (!dialog.ShowSave()) return {};
    const std::u16string path = dialog.FileName;
    StoreBestEffort([&] {
        store.WriteValue(kPathsSection, kLastDirectoryKey, SettingsStore::vkText, Variant(esGetFilePath(path)));
    });
    return path;
}
