// qvxShellFileInfo: file-manager information. Qt's MIME database gives the type name and
// icon names, from the file's name and first bytes; the attributes come from the entry
// through the platform layer; icons from the installed icon themes.
#include <Hollin0106/qvxShellFileInfo.h>

#include <QFileInfo>
#include <QMimeDatabase>

#include "common/Utf16.h"
#include "filelib/modPEImage.h"
#include "filelib/qvxFileWork.h"
#include "filelib/shell/modShellIcons.h"
#include "platform/platform.h"
#include "support/quovixsupportfbe.h"

namespace Hollin0106 {
namespace {

QString ToQString(const std::u16string& s) { return QString::fromStdU16String(s); }

// The first bytes of a file, enough for every executable header the shell reads; empty
// when the file cannot be read.
std::vector<std::uint8_t> FileHead(const std::u16string& FileName)
{
    std::vector<std::uint8_t> head(4096);
    std::size_t got = 0;
    const bool read = qvxFileWork::Guarded(false, [&] {
        std::uint64_t length = 0;
        platform::File file = qvxFileWork::OpenToRead(FileName, length);
        qvxFileWork::Check(platform::ReadFile(file, head.data(), head.size(), got), FileName);
    });
    head.resize(read ? got : 0);
    return head;
}

// Shell attribute bits of the entry `FileName` (already known to exist as `entry`).
std::uint32_t AttributesOf(const std::u16string& FileName, const std::u16string& name, const platform::EntryInfo& entry,
                           const platform::TargetInfo& target)
{
    std::uint32_t a = saFileSystem | saCanLink;
    a |= target.isDirectory ? saFolder | saFileSysAncestor : saStream;
    if (entry.isSymlink) a |= saLink;
    if (target.readable) a |= saCanCopy;
    if (!target.writable) a |= saReadOnly;
    if (platform::QueryTarget(esGetFilePath(FileName).empty() ? u"." : esGetFilePath(FileName)).writable)
        a |= saCanMove | saCanRename | saCanDelete;
    // Dot files are hidden to a file manager; on NTFS the hidden bit of the entry counts too.
    std::uint32_t ntfs = 0;
    if (name.starts_with(u'.') || (!platform::GetFileAttributes(FileName, ntfs) && (ntfs & platform::kAttributeHidden)))
        a |= saHidden;
    return a;
}

// The MIME type of the entry: a folder's, or a file's by its name and first bytes.
QMimeType MimeTypeOf(const std::u16string& FileName, const std::u16string& name, bool isFolder)
{
    const QMimeDatabase db;
    if (isFolder) return db.mimeTypeForName(QStringLiteral("inode/directory"));
    const std::vector<std::uint8_t> head = FileHead(FileName);
    return db.mimeTypeForFileNameAndData(
        ToQString(name), QByteArray(reinterpret_cast<const char*>(head.data()), static_cast<qsizetype>(head.size())));
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
    iconName_.clear();
    attributes_ = 0;
    systemIconIndex_ = 0;
    systemImageList_ = 0;
    isFolder_ = false;
    exeType_.reset();
    for (auto& icon : icons_) icon.reset();
}

bool qvxShellFileInfo::ReadFile(const std::u16string& FileName)
{
    ResetInfo();
    // A link counts as found even when its target is missing, as the entry itself exists.
    platform::EntryInfo entry;
    if (FileName.empty() || platform::QueryEntry(FileName, entry)) return false;
    const platform::TargetInfo target = platform::QueryTarget(FileName);
    fileName_ = FileName;
    // Without the trailing separator a folder's name is its last component ("/tmp/" -> "tmp").
    const std::u16string full = esGetFullFileName(FileName);
    const std::u16string name = esGetFileName(full);
    displayName_ = name.empty() ? full : name;
    attributes_ = AttributesOf(FileName, displayName_, entry, target);
    isFolder_ = target.isDirectory;
    const QMimeType mime = MimeTypeOf(FileName, displayName_, isFolder_);
    typeName_ = mime.comment().toStdU16String();
    // The icon names of the type, most specific first; every file has one at last.
    QStringList names{mime.iconName(), mime.genericIconName()};
    names.append(isFolder_ ? QStringLiteral("folder") : QStringLiteral("text-x-generic"));
    const QString file = modShellIcons::FindIconFile(names, modShellIcons::kLargeSize);
    iconLocation_ = file.toStdU16String();
    iconName_ = (file.isEmpty() ? names.front() : QFileInfo(file).completeBaseName()).toStdU16String();
    systemIconIndex_ = modShellIcons::ImageListIndex(ToQString(iconName_));
    systemImageList_ = modShellIcons::ImageListHandle();
    return true;
}

std::shared_ptr<ShellFileEXE> qvxShellFileInfo::EXEType()
{
    if (fileName_.empty()) return nullptr;
    if (!exeType_) {
        exeType_ = std::shared_ptr<ShellFileEXE>(new ShellFileEXE());
        const std::u16string name = esGetFileName(fileName_);
        const std::size_t dot = name.rfind(u'.');
        const std::u16string ext = dot == std::u16string::npos ? std::u16string() : name.substr(dot);
        exeType_->DecodeExeType(modPEImage::ShellExeType(FileHead(fileName_), ext));
    }
    return exeType_;
}

std::shared_ptr<ShellFileIcon> qvxShellFileInfo::IconIn(IconSlot slot)
{
    if (fileName_.empty()) return nullptr;
    auto& icon = icons_[slot];
    if (icon) return icon;
    const bool small = slot == kSmall || slot == kLinkSmall || slot == kOpenSmall || slot == kSelectedSmall;
    const int size = small ? modShellIcons::kSmallSize : modShellIcons::kLargeSize;
    QStringList names{ToQString(iconName_)};
    if (isFolder_ && (slot == kOpenLarge || slot == kOpenSmall)) names.prepend(QStringLiteral("folder-open"));
    // The entry must still be there, as the shell asks for it again.
    platform::EntryInfo entry;
    const QString file = platform::QueryEntry(fileName_, entry) ? QString() : modShellIcons::FindIconFile(names, size);
    QImage picture = file.isEmpty() ? QImage() : modShellIcons::LoadIcon(file, size);
    icon = std::shared_ptr<ShellFileIcon>(new ShellFileIcon());
    if (picture.isNull()) {
        icon->InitIcon(small ? modShellIcons::asLoadResIconSmall(u"") : modShellIcons::asLoadResIcon(u""), -1);
        return icon;
    }
    if (slot == kLinkLarge || slot == kLinkSmall) picture = modShellIcons::WithLinkOverlay(picture);
    if (slot == kSelectedLarge || slot == kSelectedSmall) picture = modShellIcons::Selected(picture);
    icon->InitIcon(modShellIcons::asGetIconFromHandle(picture),
                   modShellIcons::ImageListIndex(QFileInfo(file).completeBaseName()));
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
