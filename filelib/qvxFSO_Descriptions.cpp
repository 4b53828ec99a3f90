// qvxFSO: the description of one file in its folder's Descript.ion.
#include <Hollin0106/qvxDescriptIon.h>
#include <Hollin0106/qvxFSO.h>
#include "support/CodePages.h"
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

}  // namespace

std::u16string qvxFSO::GetFileDescription(const std::u16string& FileName)
{
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
    qvxDescriptIon descriptions;
    const std::u16string folder = esGetFilePath(FileName);
    if (!descriptions.ReadDirectoryFile(folder)) return false;
    descriptions.AddItem(esGetFileName(FileName), DescriptionText);
    // A text the OEM code page cannot hold would lose characters: the whole file turns
    // to UTF-8 instead.
    if (AutoUTF8Mode && !descriptions.UTF8Mode() && !FitsOemCodePage(DescriptionText))
        descriptions.UTF8Mode(true);
    return descriptions.WriteDirectoryFile(folder);
}

bool qvxFSO::DeleteFileDescription(const std::u16string& FileName)
{
    qvxDescriptIon descriptions;
    const std::u16string folder = esGetFilePath(FileName);
    if (!descriptions.ReadDirectoryFile(folder)) return false;
    descriptions.RemoveItemByFileName(esGetFileName(FileName));
    return descriptions.WriteDirectoryFile(folder);
}

}  // namespace Hollin0106
