// qvxDescriptIon: the entry list and its file.
#include <Hollin0106/qvxDescriptIon.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "filelib/modDescriptIon.h"
#include "filelib/qvxFileWork.h"
#include "platform/FileUpdates.h"
#include "platform/Files.h"
#include "platform/Removal.h"
#include "platform/Search.h"
#include "common/text/TextCase.h"
#include "support/quovixsupportfbe.h"

namespace Hollin0106 {

namespace {

constexpr char16_t kDirectoryFileName[] = u"Descript.ion";

bool InRange(std::int32_t index, std::size_t count)
{
    return index >= 0 && static_cast<std::size_t>(index) < count;
}

// The index of the first name equal to `name` without regard to case, or the count.
std::size_t Find(const std::vector<std::u16string>& names, std::u16string_view name)
{
    std::size_t i = 0;
    while (i < names.size() && !EqualsIgnoringCase(names[i], name)) ++i;
    return i;
}

// True when the folder of `name` holds an entry of exactly its last part's name, by a
// look at the entry or else in the folder's list.
bool Listed(const std::u16string& name)
{
    platform::FindHandle search;
    platform::FindData found;
    return !platform::FindFirstFile(name, search, found) && found.name == esGetFileName(name);
}

// The folder's description file: the entry named "Descript.ion" without regard to
// letter case, under the name it has; that name as it stands when there is none.
std::u16string DirectoryFile(const std::u16string& PathName)
{
    const std::u16string name = esBuildFileName(PathName, kDirectoryFileName);
    platform::FindHandle search;
    platform::FindData found;
    if (platform::FindFirstFile(name, search, found) || (found.attributes & platform::kAttributeDirectory) ||
        !EqualsIgnoringCase(found.name, kDirectoryFileName))
        return name;
    return esBuildFileName(PathName, found.name);
}

}  // namespace

std::u16string qvxDescriptIon::ItemFileName(std::int32_t Index) const
{
    return InRange(Index, names_.size()) ? names_[static_cast<std::size_t>(Index)] : std::u16string();
}

std::u16string qvxDescriptIon::ItemDescription(std::int32_t Index) const
{
    return InRange(Index, descriptions_.size()) ? descriptions_[static_cast<std::size_t>(Index)] : std::u16string();
}

std::u16string qvxDescriptIon::ItemDescriptionByFileName(const std::u16string& FileName) const
{
    if (FileName.empty()) return {};
    const std::size_t at = Find(names_, FileName);
    return at < names_.size() ? descriptions_[at] : std::u16string();
}

bool qvxDescriptIon::RemoveItem(std::int32_t Index)
{
    if (!InRange(Index, names_.size())) return false;
    names_.erase(names_.begin() + Index);
    descriptions_.erase(descriptions_.begin() + Index);
    return true;
}

bool qvxDescriptIon::RemoveItemByFileName(const std::u16string& FileName)
{
    if (FileName.empty()) return false;
    const std::size_t at = Find(names_, FileName);
    return at < names_.size() && RemoveItem(static_cast<std::int32_t>(at));
}

void qvxDescriptIon::AddItem(const std::u16string& FileName, const std::u16string& Description)
{
    if (FileName.empty()) return;
    RemoveItemByFileName(FileName);
    if (Description.empty()) return;  // an empty description only removes
    names_.push_back(FileName);
    descriptions_.push_back(Description);
}

void qvxDescriptIon::Clear()
{
    names_.clear();
    descriptions_.clear();
    fileName_.clear();
    utf8Mode_ = false;
    source_.clear();
}

bool qvxDescriptIon::ReadFile(const std::u16string& FileName)
{
    Clear();
    if (FileName.empty()) return false;
    std::vector<std::uint8_t> bytes;
    // ntfs-3g, as every FUSE file system that goes by names, answers "no such file" to a
    // look that began at a file whose name another took by a rename meanwhile (a writer
    // replacing the file), until the kernel has moved the name to the new file: while
    // the folder still lists the name, the file is looked at again, a little later.
    constexpr int kLooks = 200;
    for (int look = 1;; ++look) {
        try {
            bytes = qvxFileWork::ReadWhole(FileName);
            break;
        } catch (const AutomationError& e) {
            if (e.Number == errnum::FileNotFound && look < kLooks && Listed(FileName)) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                continue;
            }
            // A missing file has no descriptions yet; a missing folder is a failure.
            if (e.Number != errnum::FileNotFound || esIsFileOrDirectoryExist(FileName) ||
                esWin32ErrorToVBAErrorIO(ENOENT, FileName) != errnum::FileNotFound)
                return false;
            break;
        }
    }
    modDescriptIon::Contents contents = modDescriptIon::Parse(bytes);
    for (modDescriptIon::Entry& entry : contents.Entries) {
        names_.push_back(std::move(entry.FileName));
        descriptions_.push_back(std::move(entry.Description));
    }
    utf8Mode_ = contents.UTF8Mode;
    fileName_ = FileName;
    source_ = std::move(bytes);
    return true;
}

bool qvxDescriptIon::WriteFile(const std::u16string& FileName)
{
    const std::u16string target = FileName.empty() ? fileName_ : FileName;
    if (target.empty()) return false;
    if (names_.empty()) {
        if (!esIsFileExist(target)) return true;
        // Read-only would stand in the way of the removal; the result does not matter,
        // the removal tells.
        (void)platform::SetFileAttributes(target, platform::kAttributeNormal);
        return !platform::RemoveFile(target);
    }
    std::vector<modDescriptIon::Entry> entries;
    entries.reserve(names_.size());
    for (std::size_t i = 0; i < names_.size(); ++i) entries.push_back({names_[i], descriptions_[i]});
    const auto bytes = modDescriptIon::Format(source_, entries, utf8Mode_);
    if (!bytes) return false;
    // As Windows keeps it: hidden. A file system without the attribute keeps a plain file.
    return !platform::ReplaceFileContent(target, *bytes, platform::kAttributeHidden);
}

bool qvxDescriptIon::ReadDirectoryFile(const std::u16string& PathName)
{
    return ReadFile(DirectoryFile(PathName));
}

bool qvxDescriptIon::WriteDirectoryFile(const std::u16string& PathName)
{
    return WriteFile(PathName.empty() ? std::u16string() : DirectoryFile(PathName));
}

}  // namespace Hollin0106
