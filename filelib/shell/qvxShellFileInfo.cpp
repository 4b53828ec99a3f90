// qvxShellFileInfo: the shell's answers about one file, each from one query with its own
// flag set (ShellSource.h): the plain values at ReadFile, the executable type and the
// icons on first request, kept until the next ReadFile.
#include <Hollin0106/qvxShellFileInfo.h>

#include "filelib/shell/ShellSource.h"
#include "support/quovixsupportfbe.h"

namespace Hollin0106 {
namespace {

// A picture object for an icon the shell handed out.
std::shared_ptr<Picture> asGetIconFromHandle(shell::ShellPicture icon)
{
    return std::make_shared<Picture>(icon.width, icon.height, std::move(icon.rgba));
}

// The default large and small icon. The resource name is accepted for the callers'
// form; "" is the one default icon there is.
std::shared_ptr<Picture> asLoadResIcon(const std::u16string&)
{
    return asGetIconFromHandle(shell::ShellDefaultIcon(false));
}

std::shared_ptr<Picture> asLoadResIconSmall(const std::u16string&)
{
    return asGetIconFromHandle(shell::ShellDefaultIcon(true));
}

}  // namespace

void ShellFileEXE::DecodeExeType(std::uint32_t result)
{
    const std::uint16_t high = esHiWord(result);
    const std::uint16_t low = esLoWord(result);
    major_ = esHiByte(high);
    minor_ = esLoByte(high);
    signature_.clear();
    if (low != 0) {
        signature_.push_back(static_cast<char16_t>(esLoByte(low)));
        signature_.push_back(static_cast<char16_t>(esHiByte(low)));
    }
}

void ShellFileIcon::InitIcon(std::shared_ptr<Picture> icon, std::int32_t index)
{
    icon_ = std::move(icon);
    index_ = index;
}

void qvxShellFileInfo::ResetInfo()
{
    fileName_.clear();
    displayName_.clear();
    typeName_.clear();
    iconLocation_.clear();
    attributes_ = 0;
    systemIconIndex_ = 0;
    systemImageList_ = 0;
    exeType_.reset();
    for (auto& icon : icons_) icon.reset();
}

bool qvxShellFileInfo::ReadFile(const std::u16string& FileName)
{
    ResetInfo();
    // An empty name names no file (the shell would answer for the desktop).
    if (FileName.empty()) return false;
    fileName_ = FileName;
    const auto ask = [&](std::uint32_t flags, shell::ShellRecord& record) {
        return shell::ShellGetFileInfo(FileName, flags, record);
    };
    shell::ShellRecord record;
    bool ok = ask(shell::kShellAttributes, record) != 0;
    if (ok) attributes_ = record.attributes;
    ok = ok && ask(shell::kShellDisplayName, record) != 0;
    if (ok) displayName_ = record.displayName;
    record.displayName.clear();
    ok = ok && ask(shell::kShellIconLocation, record) != 0;
    if (ok) iconLocation_ = record.displayName;
    std::uintptr_t imageList = 0;
    ok = ok && (imageList = ask(shell::kShellSysIconIndex, record)) != 0;
    if (ok) {
        systemImageList_ = imageList;
        systemIconIndex_ = record.iconIndex;
    }
    ok = ok && ask(shell::kShellTypeName, record) != 0;
    if (ok) typeName_ = record.typeName;
    if (!ok) ResetInfo();
    return ok;
}

std::shared_ptr<ShellFileEXE> qvxShellFileInfo::EXEType()
{
    if (fileName_.empty()) return nullptr;
    if (!exeType_) {
        shell::ShellRecord record;
        // The result is the type itself, 0 for a file that is no program; the shell's
        // types are 32-bit values.
        const auto result = static_cast<std::uint32_t>(shell::ShellGetFileInfo(fileName_, shell::kShellExeType, record));
        exeType_ = std::shared_ptr<ShellFileEXE>(new ShellFileEXE());
        exeType_->DecodeExeType(result);
    }
    return exeType_;
}

std::shared_ptr<ShellFileIcon> qvxShellFileInfo::IconIn(IconSlot slot)
{
    using namespace shell;
    static constexpr std::uint32_t kFlags[kIconSlots] = {
        kShellIcon,
        kShellIcon | kShellSmallIcon,
        kShellIcon | kShellLinkOverlay,
        kShellIcon | kShellLinkOverlay | kShellSmallIcon,
        kShellIcon | kShellOpenIcon,
        kShellIcon | kShellOpenIcon | kShellSmallIcon,
        kShellIcon | kShellSelected,
        kShellIcon | kShellSelected | kShellSmallIcon,
        kShellIcon | kShellShellIconSize,
    };
    if (fileName_.empty()) return nullptr;
    auto& icon = icons_[slot];
    if (icon) return icon;
    icon = std::shared_ptr<ShellFileIcon>(new ShellFileIcon());
    ShellRecord record;
    if (ShellGetFileInfo(fileName_, kFlags[slot], record) != 0 && !record.icon.rgba.empty()) {
        icon->InitIcon(asGetIconFromHandle(std::move(record.icon)), record.iconIndex);
    } else {
        const bool small = (kFlags[slot] & kShellSmallIcon) != 0;
        icon->InitIcon(small ? asLoadResIconSmall(u"") : asLoadResIcon(u""), -1);
    }
    return icon;
}

std::shared_ptr<ShellFileIcon> qvxShellFileInfo::Icon() { return IconIn(kLarge); }
std::shared_ptr<ShellFileIcon> qvxShellFileInfo::SmallIcon() { return IconIn(kSmall); }
std::shared_ptr<ShellFileIcon> qvxShellFileInfo::LinkOverlayIcon() { return IconIn(kLinkLarge); }
std::shared_ptr<ShellFileIcon> qvxShellFileInfo::LinkOverlaySmallIcon() { return IconIn(kLinkSmall); }
std::shared_ptr<ShellFileIcon> qvxShellFileInfo::OpenIcon() { return IconIn(kOpenLarge); }
std::shared_ptr<ShellFileIcon> qvxShellFileInfo::OpenSmallIcon() { return IconIn(kOpenSmall); }
std::shared_ptr<ShellFileIcon> qvxShellFileInfo::SelectedIcon() { return IconIn(kSelectedLarge); }
std::shared_ptr<ShellFileIcon> qvxShellFileInfo::SelectedSmallIcon() { return IconIn(kSelectedSmall); }
std::shared_ptr<ShellFileIcon> qvxShellFileInfo::ShellSizeIcon() { return IconIn(kShellSize); }

}  // namespace Hollin0106
