// Where listings of reparse points come from.
#include "report/ListingSources.h"

#include <Hollin0106/NtfsImage.h>
#include <Hollin0106/Variant.h>
#include <Hollin0106/qvxFSO.h>
#include <Hollin0106/qvxFoundedFiles.h>

#include "common/SkipOnError.h"
#include "common/Utf16.h"
#include "platform/Search.h"
#include "support/quovixsupportfbe.h"

using namespace Hollin0106;

namespace ListingSources {

ListingEntry FromImageEntry(NtfsReparseEntry&& e)
{
    ListingEntry l;
    l.Path = std::move(e.Path);
    l.Record = e.RecordNumber;
    l.Code = e.Code;
    l.Data = std::move(e.Data);
    l.RawTarget = std::move(e.RawTarget);
    l.PrintName = std::move(e.PrintName);
    l.Target = std::move(e.Target);
    l.Detail = std::move(e.ErrorDetail);
    for (NtfsStream& s : e.Streams) l.Streams.emplace_back(std::move(s.Name), s.Size);
    return l;
}

ListingEntry ReadMountedEntry(qvxFSO& fso, const std::u16string& path)
{
    ListingEntry l;
    l.Path = path;
    SkipOnError([&] {
        Variant buffer = Variant::RefTo(l.Data);
        l.Target = fso.GetSymlinkTargetEx(path, &l.RawTarget, &l.PrintName, nullptr, nullptr, &buffer, &l.Code);
    });
    return l;
}

namespace {

// Tells the caller of each completed folder of the search; its answer may stop it.
class FolderCounter : public IFindFilesCallback {
public:
    explicit FolderCounter(const std::function<bool(std::uint64_t)>& folderDone) : folderDone_(folderDone) {}
    void DirectoryCompleted(const std::u16string&, bool& cancel) override
    {
        if (!folderDone_(++folders_)) cancel = true;
    }

private:
    const std::function<bool(std::uint64_t)>& folderDone_;
    std::uint64_t folders_ = 0;
};

bool ListTree(qvxFSO& fso, const qvxFoundedFiles& found, const std::u16string& folder,
              const std::function<bool(ListingEntry&&)>& emit)
{
    for (const auto& entry : found) {
        std::u16string path = folder;
        if (!path.empty() && path.back() != u'/' && path.back() != u'\\') path += u'/';
        path += entry->FileName();
        if (entry->FileAttributes() & static_cast<std::int32_t>(platform::kAttributeReparsePoint)) {
            // The search marks a POSIX symbolic link like a reparse point; outside NTFS
            // it carries none and is no entry of this listing.
            ListingEntry read = ReadMountedEntry(fso, path);
            if (read.Code != setNotSymlink && !emit(std::move(read))) return false;
        } else if (const auto childs = entry->Childs(); childs && childs->Count() > 0) {
            if (!ListTree(fso, *childs, path, emit)) return false;
        }
    }
    return true;
}

}  // namespace

bool ListFolder(qvxFSO& fso, const std::u16string& folder, const std::function<bool(std::uint64_t)>& folderDone,
                const std::function<bool(ListingEntry&&)>& found)
{
    // The search hands back what it found so far when stopped; that part is not listed.
    bool stopped = false;
    const std::function<bool(std::uint64_t)> watched = [&](std::uint64_t folders) {
        stopped = !folderDone(folders);
        return !stopped;
    };
    FolderCounter counter(watched);
    qvxFoundedFiles tree;
    tree.RefreshEx2(folder, u"*", false, &counter);
    return !stopped && ListTree(fso, tree, folder, found);
}

std::u16string ImageEntryName(const std::u16string& imagePath, std::int32_t partition, const std::u16string& volumePath)
{
    std::u16string name = imagePath;
    SkipOnError([&] { name = esGetFullFileName(imagePath, true); });
    if (partition > 0) name += u" (partition " + FromUtf8(std::to_string(partition)) + u")";
    return name + u":" + volumePath;
}

modRPParse::ReparseRead ReadOf(const ListingEntry& entry)
{
    return {entry.Code, entry.Data, entry.RawTarget, entry.PrintName};
}

}  // namespace ListingSources
