// qvxFSO: the description of one file in its folder's Descript.ion.
#include <Hollin0106/qvxDescriptIon.h>
#include <Hollin0106/qvxFSO.h>
#include "platform/FileUpdates.h"
#include "support/codepages/CodePages.h"
#include "support/quovixsupportfbe.h"

namespace Hollin0106 {

namespace {

// True when the OEM code page holds every character of `text`.
bool FitsOemCodePage(const std::u16string& text)
{
    std::vector<std::uint8_t> bytes;
    codepages::Encode(text, codepages::HostOemCodePage(), bytes);
    return codepages::Decode(bytes, codepages::HostOemCodePage()) == text;
}

// A name holding a NUL names no file (the system would read it only up to there).
bool HoldsNul(const std::u16string& name)
{
    return name.find(u'\0') != std::u16string::npos;
}

// One change of a folder's Descript.ion: its read, the change and its write, while the
// folder's lock keeps every other such change of this library out, so that two changes
// at once cannot lose each other's entries.
template <typename Change>
bool UpdateDescriptions(const std::u16string& FileName, Change&& change)
{
    if (HoldsNul(FileName)) return false;
    const std::u16string folder = esGetFilePath(FileName);
    platform::FolderLock lock;
    if (platform::LockFolder(folder.empty() ? std::u16string(u".") : folder, lock)) return false;
    qvxDescriptIon descriptions;
    if (!descriptions.ReadDirectoryFile(folder)) return false;
    change(descriptions, esGetFileName(FileName));
    return descriptions.WriteDirectoryFile(folder);
}

}  // namespace

std::u16string qvxFSO::GetFileDescription(const std::u16string& FileName)
{
    if (HoldsNul(FileName)) return {};
    qvxDescriptIon descriptions;
    if (!descriptions.ReadDirectoryFile(esGetFilePath(FileName))) return {};
    return descriptions.ItemDescriptionByFileName(esGetFileName(FileName));
}

bool qvxFSO::SetFileDescription(const std::u16string& FileName, const std::u16string& DescriptionText)
{
    return SetFileDescription2(FileName, DescriptionText, true);
}

bool qvxFSO::SetFileDescription2(const std::u16string& FileName, const std::u16string& DescriptionText,
                                 bool AutoUTF8Mode)
{
    return UpdateDescriptions(FileName, [&](qvxDescriptIon& descriptions, const std::u16string& name) {
        descriptions.AddItem(name, DescriptionText);
        // A text the OEM code page cannot hold would lose characters, and a name would
        // describe another file: the whole file turns to UTF-8 instead.
        if (AutoUTF8Mode && !descriptions.UTF8Mode() &&
            (!FitsOemCodePage(DescriptionText) || (!DescriptionText.empty() && !FitsOemCodePage(name))))
            descriptions.UTF8Mode(true);
    });
}

bool qvxFSO::DeleteFileDescription(const std::u16string& FileName)
{
    return UpdateDescriptions(FileName, [](qvxDescriptIon& descriptions, const std::u16string& name) {
        descriptions.RemoveItemByFileName(name);
    });
}

}  // namespace Hollin0106
