// qvxShellFileInfo: what a file manager knows about one file: shell attributes, display
// and type name, icon location and index, the executable type and nine kinds of icon.
// ReadFile fetches the plain values at once; the executable type and each icon are
// fetched on first request and kept until the next ReadFile. Members stand in the order
// of the class's automation interface. On Windows the shell answers (SHGetFileInfo), and
// the classes are part of Hollin0106.dll. On Linux they are built on Qt (QtCore and
// QtGui without a display), in the library libHollin0106Shell, so that programs that do
// not ask for shell information do not load Qt.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include <Hollin0106/Picture.h>
#include <Hollin0106/Export.h>

namespace Hollin0106 {

// The executable type of a file, decoded from a result R in the layout of the Windows
// shell: the signature's two letters in the low word (low byte first), the version the
// program needs in the high word (major in the high byte).
class HOLLIN0106_API ShellFileEXE {
public:
    std::int32_t OSVersionMinor() const { return minor_; }
    std::int32_t OSVersionMajor() const { return major_; }
    // "PE", "NE", "MZ", or "" when the file is no program.
    const std::u16string& Signature() const { return signature_; }

private:
    friend class qvxShellFileInfo;
    void DecodeExeType(std::uint32_t result);
    std::int32_t minor_ = 0;
    std::int32_t major_ = 0;
    std::u16string signature_;
};

// One icon of a file: its picture and its index in the process's image list (-1 for the
// default icon, given when the file's icon cannot be had).
class HOLLIN0106_API ShellFileIcon {
public:
    std::shared_ptr<Picture> Icon() const { return icon_; }
    std::int32_t Index() const { return index_; }

private:
    friend class qvxShellFileInfo;
    void InitIcon(std::shared_ptr<Picture> icon, std::int32_t index);
    std::shared_ptr<Picture> icon_;
    std::int32_t index_ = -1;
};

// Shell attribute bits (SFGAO_*) as Attributes reports them.
enum ShellAttribute_Const : std::uint32_t {
    saCanCopy = 0x1,
    saCanMove = 0x2,
    saCanLink = 0x4,
    saCanRename = 0x10,
    saCanDelete = 0x20,
    saLink = 0x10000,
    saReadOnly = 0x40000,
    saHidden = 0x80000,
    saStream = 0x400000,
    saFileSysAncestor = 0x10000000,
    saFolder = 0x20000000,
    saFileSystem = 0x40000000,
};

class HOLLIN0106_API qvxShellFileInfo {
public:
    // Looks `FileName` up. True with every plain value set; False when the shell has no
    // answer for the entry (it does not exist; a link whose target is missing exists),
    // and the object is then empty (FileName "" too). Drops the executable type and the
    // icons of an earlier file.
    bool ReadFile(const std::u16string& FileName);

    const std::u16string& FileName() const { return fileName_; }
    // ShellAttribute_Const bits: folder, link, hidden, read-only, file system; can copy
    // (readable), can move, rename and delete (the folder that holds it is writable),
    // can link.
    std::uint32_t Attributes() const { return attributes_; }
    // The file's name as a file manager shows it.
    const std::u16string& DisplayName() const { return displayName_; }
    // The description of the file's type, in the language of the user's locale. Linux:
    // of its MIME type, by content and name ("plain text document", "PNG image",
    // "folder"); Windows: of its extension's registered type ("Text Document").
    const std::u16string& TypeName() const { return typeName_; }
    // Null when no file is loaded; otherwise the same object until the next ReadFile.
    std::shared_ptr<ShellFileEXE> EXEType();
    // Icons: null when no file is loaded; otherwise the same object until the next
    // ReadFile. Large icons are 32 x 32 pixels, small ones 16 x 16 (Windows: the system's
    // icon sizes). When the file's icon cannot be had, the default icon with Index -1.
    std::shared_ptr<ShellFileIcon> Icon();
    std::shared_ptr<ShellFileIcon> SmallIcon();
    std::shared_ptr<ShellFileIcon> LinkOverlayIcon();
    std::shared_ptr<ShellFileIcon> LinkOverlaySmallIcon();
    std::shared_ptr<ShellFileIcon> OpenIcon();
    std::shared_ptr<ShellFileIcon> OpenSmallIcon();
    std::shared_ptr<ShellFileIcon> SelectedIcon();
    std::shared_ptr<ShellFileIcon> SelectedSmallIcon();
    std::shared_ptr<ShellFileIcon> ShellSizeIcon();
    // The file that holds the icon of the file's type, or "" when there is none (Linux:
    // the installed icon themes have none).
    const std::u16string& IconLocation() const { return iconLocation_; }
    // The index of the file's icon in the process's image list: the same icon name gives
    // the same index for as long as the process runs.
    std::int32_t SystemIconIndex() const { return systemIconIndex_; }
    // The handle of the process's image list: non-zero after a successful ReadFile. As
    // wide as a pointer: on 64-bit Windows the handle is one.
    std::uintptr_t hSystemImageList() const { return systemImageList_; }

private:
    enum IconSlot { kLarge, kSmall, kLinkLarge, kLinkSmall, kOpenLarge, kOpenSmall, kSelectedLarge,
                    kSelectedSmall, kShellSize, kIconSlots };
    void ResetInfo();
    std::shared_ptr<ShellFileIcon> IconIn(IconSlot slot);

    std::u16string fileName_;
    std::uint32_t attributes_ = 0;
    std::u16string displayName_;
    std::u16string typeName_;
    std::u16string iconLocation_;
    std::int32_t systemIconIndex_ = 0;
    std::uintptr_t systemImageList_ = 0;
    std::shared_ptr<ShellFileEXE> exeType_;
    std::array<std::shared_ptr<ShellFileIcon>, kIconSlots> icons_;
};

}  // namespace Hollin0106
