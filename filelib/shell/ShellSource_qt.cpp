// Linux's answers to the shell queries (ShellSource.h), where no Windows shell exists:
// Qt's MIME database gives the type name and icon names, from the file's name and first
// bytes; the attributes come from the entry through the platform layer; icons from the
// installed icon themes; the executable type from the file's header; PNG through Qt.
#include "filelib/shell/ShellSource.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageWriter>
#include <QMimeDatabase>

#include <Hollin0106/qvxShellFileInfo.h>

#include "filelib/ImageFileSource.h"
#include "filelib/modPEImage.h"
#include "filelib/qvxFileWork.h"
#include "filelib/shell/modShellIcons.h"
#include "platform/Entries.h"
#include "platform/Files.h"
#include "support/quovixsupportfbe.h"

namespace shell {

using namespace platform;

namespace {

using namespace Hollin0106;

QString ToQString(const std::u16string& s) { return QString::fromStdU16String(s); }

// The first bytes of a file, for the MIME database's look at its content; empty when
// the file cannot be read.
std::vector<std::uint8_t> FileHead(const std::u16string& FileName)
{
    std::vector<std::uint8_t> head(4096);
    std::size_t got = 0;
    const bool read = qvxFileWork::Guarded(false, [&] {
        std::uint64_t length = 0;
        File file = qvxFileWork::OpenToRead(FileName, length);
        qvxFileWork::Check(ReadFile(file, head.data(), head.size(), got), FileName);
    });
    head.resize(read ? got : 0);
    return head;
}

// Shell attribute bits of the entry `FileName` (already known to exist as `entry`).
std::uint32_t AttributesOf(const std::u16string& FileName, const std::u16string& name, const EntryInfo& entry,
                           const TargetInfo& target)
{
    std::uint32_t a = saFileSystem | saCanLink;
    a |= target.isDirectory ? saFolder | saFileSysAncestor : saStream;
    if (entry.isSymlink) a |= saLink;
    if (target.readable) a |= saCanCopy;
    // A property of the file, as the writers see it: the same for every caller, root too.
    if (target.readOnly) a |= saReadOnly;
    if (QueryTarget(esGetFilePath(FileName).empty() ? u"." : esGetFilePath(FileName)).writable)
        a |= saCanMove | saCanRename | saCanDelete;
    // Dot files are hidden to a file manager; on NTFS the hidden bit of the entry counts too.
    std::uint32_t ntfs = 0;
    if (name.starts_with(u'.') || (!GetFileAttributes(FileName, ntfs) && (ntfs & kAttributeHidden))) a |= saHidden;
    return a;
}

// The MIME type of the entry: a folder's, a special file's or a dangling link's by what
// it is, a regular file's by its name and first bytes.
QMimeType MimeTypeOf(const std::u16string& FileName, const std::u16string& name, const EntryInfo& entry,
                     const TargetInfo& target)
{
    const QMimeDatabase db;
    const auto byType = [&]() -> const char* {
        if (!target.exists) return entry.isSymlink ? "inode/symlink" : nullptr;
        switch (target.type) {
        case EntryType::Directory: return "inode/directory";
        case EntryType::Fifo: return "inode/fifo";
        case EntryType::Socket: return "inode/socket";
        case EntryType::CharacterDevice: return "inode/chardevice";
        case EntryType::BlockDevice: return "inode/blockdevice";
        case EntryType::Regular:
        case EntryType::Other: break;
        }
        return nullptr;
    }();
    if (byType != nullptr) return db.mimeTypeForName(QString::fromLatin1(byType));
    // Never opened unless it is a regular file: opening a device may act on it.
    const std::vector<std::uint8_t> head = target.type == EntryType::Regular ? FileHead(FileName) : std::vector<std::uint8_t>();
    return db.mimeTypeForFileNameAndData(
        ToQString(name), QByteArray(reinterpret_cast<const char*>(head.data()), static_cast<qsizetype>(head.size())));
}

ShellPicture FromImage(const QImage& image)
{
    const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888);
    ShellPicture out{rgba.width(), rgba.height(), {}};
    const auto rowBytes = static_cast<std::size_t>(rgba.width()) * 4;
    out.rgba.reserve(rowBytes * static_cast<std::size_t>(rgba.height()));
    for (int y = 0; y < rgba.height(); ++y) {
        const uchar* row = rgba.constScanLine(y);
        out.rgba.insert(out.rgba.end(), row, row + rowBytes);
    }
    return out;
}

// The icon of the query `flags` from the theme icons `names`; false when none is installed.
bool ThemeIcon(QStringList names, bool isFolder, std::uint32_t flags, ShellRecord& record)
{
    const bool small = (flags & kShellSmallIcon) != 0;
    const int size = small ? modShellIcons::kSmallSize : modShellIcons::kLargeSize;
    if (isFolder && (flags & kShellOpenIcon)) names.prepend(QStringLiteral("folder-open"));
    const QString file = modShellIcons::FindIconFile(names, size);
    QImage picture = file.isEmpty() ? QImage() : modShellIcons::LoadIcon(file, size);
    if (picture.isNull()) return false;
    if (flags & kShellLinkOverlay) picture = modShellIcons::WithLinkOverlay(picture);
    if (flags & kShellSelected) picture = modShellIcons::Selected(picture);
    record.icon = FromImage(picture);
    record.iconIndex = modShellIcons::ImageListIndex(QFileInfo(file).completeBaseName());
    return true;
}

}  // namespace

std::uintptr_t ShellGetFileInfo(const std::u16string& path, std::uint32_t flags, ShellRecord& record)
{
    // A link counts as found even when its target is missing, as the entry itself exists.
    EntryInfo entry;
    if (path.empty() || QueryEntry(path, entry)) return 0;
    const TargetInfo target = QueryTarget(path);
    // Without the trailing separator a folder's name is its last component ("/tmp/" -> "tmp").
    const std::u16string full = esGetFullFileName(path);
    const std::u16string name = esGetFileName(full);
    const std::u16string displayName = name.empty() ? full : name;

    if (flags & kShellExeType) {
        const std::size_t dot = name.rfind(u'.');
        const std::u16string_view extension =
            dot == std::u16string::npos ? std::u16string_view() : std::u16string_view(name).substr(dot);
        // Only a regular file is opened (a FIFO or a device could block or act); the
        // others are programs by name alone, if at all (a batch file).
        if (!target.exists) return 0;
        if (target.type != EntryType::Regular) {
            modPEImage::SpanSource nothing({});
            return modPEImage::ShellExeType(nothing, extension);
        }
        ImageFileSource file(path);
        return modPEImage::ShellExeType(file, extension);
    }
    if (flags & kShellAttributes) {
        record.attributes = AttributesOf(path, displayName, entry, target);
        return 1;
    }
    if (flags & kShellDisplayName) {
        record.displayName = displayName;
        return 1;
    }
    const QMimeType mime = MimeTypeOf(path, displayName, entry, target);
    if (flags & kShellTypeName) {
        record.typeName = mime.comment().toStdU16String();
        return 1;
    }
    // The icon names of the type, most specific first; every file has one at last.
    QStringList names{mime.iconName(), mime.genericIconName()};
    names.append(target.isDirectory ? QStringLiteral("folder") : QStringLiteral("text-x-generic"));
    if (flags & kShellIcon) return ThemeIcon(names, target.isDirectory, flags, record) ? 1 : 0;
    const QString file = modShellIcons::FindIconFile(names, modShellIcons::kLargeSize);
    if (flags & kShellIconLocation) {
        record.displayName = file.toStdU16String();
        record.iconIndex = 0;
        return 1;
    }
    if (flags & kShellSysIconIndex) {
        record.iconIndex = modShellIcons::ImageListIndex(file.isEmpty() ? names.front() : QFileInfo(file).completeBaseName());
        return modShellIcons::ImageListHandle();
    }
    return 0;
}

ShellPicture ShellDefaultIcon(bool small)
{
    return FromImage(modShellIcons::DefaultIcon(small ? modShellIcons::kSmallSize : modShellIcons::kLargeSize));
}

std::error_code EncodePng(const ShellPicture& picture, std::vector<std::uint8_t>& png)
{
    png.clear();
    // Sizes below 2^31: their product with 4 does not overflow 64 bits.
    if (picture.width <= 0 || picture.height <= 0 ||
        static_cast<std::uint64_t>(picture.width) * static_cast<std::uint64_t>(picture.height) * 4 != picture.rgba.size())
        return std::make_error_code(std::errc::invalid_argument);
    const QImage image(picture.rgba.data(), picture.width, picture.height, static_cast<qsizetype>(picture.width) * 4,
                       QImage::Format_RGBA8888);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image)) return std::make_error_code(std::errc::io_error);
    png.assign(bytes.begin(), bytes.end());
    return {};
}

}  // namespace shell
