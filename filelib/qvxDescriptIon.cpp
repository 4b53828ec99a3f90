// qvxDescriptIon: the entry list and its file.
#include "filelib/qvxDescriptIon.h"

#include <cerrno>

#include "filelib/qvxFileWork.h"
#include "platform/platform.h"
#include "support/quovixsupportfbe.h"

namespace {

constexpr char16_t kDirectoryFileName[] = u"Descript.ion";

bool InRange(std::int32_t index, std::size_t count)
{
    return index >= 0 && static_cast<std::size_t>(index) < count;
}

}  // namespace

std::u16string qvxDescriptIon::ItemFileName(std::int32_t Index) const
{
    return InRange(Index, entries_.size()) ? entries_[static_cast<std::size_t>(Index)].FileName : std::u16string();
}

std::u16string qvxDescriptIon::ItemDescription(std::int32_t Index) const
{
    return InRange(Index, entries_.size()) ? entries_[static_cast<std::size_t>(Index)].Description
                                           : std::u16string();
}

std::u16string qvxDescriptIon::ItemDescriptionByFileName(const std::u16string& FileName) const
{
    if (FileName.empty()) return {};
    const auto at = modDescriptIon::FindEntry(entries_, FileName);
    return at ? entries_[*at].Description : std::u16string();
}

bool qvxDescriptIon::RemoveItem(std::int32_t Index)
{
    if (!InRange(Index, entries_.size())) return false;
    entries_.erase(entries_.begin() + Index);
    return true;
}

bool qvxDescriptIon::RemoveItemByFileName(const std::u16string& FileName)
{
    if (FileName.empty()) return false;
    const auto at = modDescriptIon::FindEntry(entries_, FileName);
    if (!at) return false;
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(*at));
    return true;
}

void qvxDescriptIon::AddItem(const std::u16string& FileName, const std::u16string& Description)
{
    if (FileName.empty()) return;
    if (Description.empty()) {
        RemoveItemByFileName(FileName);
        return;
    }
    RemoveItemByFileName(FileName);
    entries_.push_back({FileName, Description});
}

void qvxDescriptIon::Clear()
{
    entries_.clear();
    fileName_.clear();
    utf8Mode_ = false;
}

bool qvxDescriptIon::ReadFile(const std::u16string& FileName)
{
    Clear();
    if (FileName.empty()) return false;
    std::vector<std::uint8_t> bytes;
    try {
        bytes = qvxFileWork::ReadWhole(FileName);
    } catch (const AutomationError& e) {
        // A missing file has no descriptions yet; a missing folder is a failure.
        if (e.Number != errnum::FileNotFound || esIsFileOrDirectoryExist(FileName) ||
            esWin32ErrorToVBAErrorIO(ENOENT, FileName) != errnum::FileNotFound)
            return false;
    }
    modDescriptIon::Contents contents = modDescriptIon::Parse(bytes);
    entries_ = std::move(contents.Entries);
    utf8Mode_ = contents.UTF8Mode;
    fileName_ = FileName;
    return true;
}

bool qvxDescriptIon::WriteFile(const std::u16string& FileName)
{
    const std::u16string target = FileName.empty() ? fileName_ : FileName;
    if (target.empty()) return false;
    // Hidden, system and read-only would stand in the way of the rewrite; the result
    // does not matter, the write tells.
    (void)platform::SetFileAttributes(target, platform::kAttributeNormal);
    if (entries_.empty()) {
        if (!esIsFileExist(target)) return true;
        return !platform::RemoveFile(target);
    }
    const std::vector<std::uint8_t> bytes = modDescriptIon::Format(entries_, utf8Mode_);
    if (!qvxFileWork::Guarded(false, [&] { qvxFileWork::PutBytes(target, qvxFileWork::WholeArray(bytes)); }))
        return false;
    // As Windows keeps it: hidden. A file system without the attribute keeps a plain file.
    (void)platform::SetFileAttributes(target, platform::kAttributeHidden);
    return true;
}

bool qvxDescriptIon::ReadDirectoryFile(const std::u16string& PathName)
{
    return ReadFile(esBuildFileName(PathName, kDirectoryFileName));
}

bool qvxDescriptIon::WriteDirectoryFile(const std::u16string& PathName)
{
    return WriteFile(PathName.empty() ? std::u16string() : esBuildFileName(PathName, kDirectoryFileName));
}
