// qvxFoundedFiles: the file search over the platform's find-first/find-next.
#include <Hollin0106/qvxFoundedFiles.h>

#include <deque>

#include <Hollin0106/AutomationError.h>
#include "common/FileTime.h"
#include "common/text/TextCase.h"
#include "filelib/modFindFiles.h"
#include "platform/FileMetadata.h"
#include "platform/Files.h"
#include "platform/Search.h"
#include "support/quovixsupport.h"
#include "support/quovixsupportfbe.h"

namespace modFindFiles {

double FileTimeToVariantDate(std::uint64_t fileTime, std::int64_t biasSeconds)
{
    constexpr std::int64_t kSecondsPerDay = 86400;
    constexpr std::int64_t kDaysFrom1601To1899 = 109205;  // 1601-01-01 to 1899-12-30
    constexpr std::int64_t kFirstDayOf10000 = 2958466;     // 10000-01-01 as a date
    // A FILETIME with the top bit set is no time at all.
    if (fileTime > static_cast<std::uint64_t>(INT64_MAX)) return 0;
    const std::int64_t seconds = static_cast<std::int64_t>(fileTime) / filetime::kTicksPerSecond + biasSeconds;
    if (seconds < 0) return 0;
    const std::int64_t day = seconds / kSecondsPerDay - kDaysFrom1601To1899;
    if (day >= kFirstDayOf10000) return 0;
    const double time = static_cast<double>(seconds % kSecondsPerDay) / kSecondsPerDay;
    return day >= 0 ? static_cast<double>(day) + time : static_cast<double>(day) - time;
}

}  // namespace modFindFiles

namespace Hollin0106 {

namespace {

const std::u16string kEmpty;

// Simple upper-casing per UTF-16 unit, which keeps every length.
std::u16string Upper(std::u16string_view s)
{
    std::u16string out(s);
    for (char16_t& c : out)
        c = static_cast<char16_t>(textcase::Map(char32_t{c}, textcase::Mode::SimpleUpper));
    return out;
}

bool IsNativeSeparator(char16_t c)
{
    return c == u'/' || (kNativePathStyle == PathStyle::Windows && c == u'\\');
}

bool IsDotEntry(const std::u16string& name)
{
    return name == u"." || name == u"..";
}

}  // namespace

// The directories entered on the way down to a level (device and inode), to stop at a
// link or junction that leads back to one of them.
struct qvxFoundedFiles::Ancestor {
    std::uint64_t device;
    std::uint64_t inode;
    const Ancestor* parent;

    bool Holds(std::uint64_t dev, std::uint64_t ino) const
    {
        for (const Ancestor* a = this; a != nullptr; a = a->parent)
            if (a->device == dev && a->inode == ino) return true;
        return false;
    }
};

// The entries of one searched level, in one block that every item of the level shares,
// with the Path strings they point to.
struct qvxFoundedFiles::Level {
    std::shared_ptr<const std::u16string> path;
    std::deque<std::u16string> parentPaths;  // SearchWithParent: each entry's own
    std::vector<FoundedFile> entries;
};

struct qvxFoundedFiles::Options {
    const std::u16string& mask;
    bool followReparsePoints;
    IFindFilesCallback* callback;
};

// ---- FoundedFile -----------------------------------------------------------------

std::shared_ptr<qvxFoundedFiles> FoundedFile::Childs() const
{
    if (!childs_) childs_ = std::make_shared<qvxFoundedFiles>();
    return childs_;
}

const std::u16string& FoundedFile::Path() const
{
    return path_ ? *path_ : kEmpty;
}

std::uint32_t FoundedFile::Attributes() const
{
    if (attributesLater_) {
        std::uint32_t attributes = attributes_;
        if (!platform::QueryFindAttributes(esBuildFileName(Path(), name_, false), attributes)) attributes_ = attributes;
        attributesLater_ = false;
    }
    return attributes_;
}

double FoundedFile::CompressedFileSize() const
{
    constexpr std::uint32_t kCompressedOrSparse = 0x800 | 0x200;
    const std::uint64_t bytes = (Attributes() & kCompressedOrSparse) ? allocated_ : size_;
    return asLargeIntegerToDouble(static_cast<std::uint32_t>(bytes), static_cast<std::uint32_t>(bytes >> 32));
}

double FoundedFile::CreationTime() const
{
    if (creationTimeLater_) {
        if (platform::QueryCreationTime(esBuildFileName(Path(), name_, false), creationTime_))
            creationTime_ = lastWriteTime_;
        creationTimeLater_ = false;
    }
    return modFindFiles::FileTimeToVariantDate(creationTime_, platform::CurrentUtcBias());
}

double FoundedFile::LastAccessTime() const
{
    return modFindFiles::FileTimeToVariantDate(lastAccessTime_, platform::CurrentUtcBias());
}

double FoundedFile::LastWriteTime() const
{
    return modFindFiles::FileTimeToVariantDate(lastWriteTime_, platform::CurrentUtcBias());
}

double FoundedFile::FileSize() const
{
    if (sizeCache_ != -1.0) return sizeCache_;
    if (AttributeDirectory())
        sizeCache_ = childs_ ? childs_->Size() : 0.0;
    else
        sizeCache_ = asLargeIntegerToDouble(static_cast<std::uint32_t>(size_), static_cast<std::uint32_t>(size_ >> 32));
    return sizeCache_;
}

// ---- qvxFoundedFiles -------------------------------------------------------------

const std::u16string& qvxFoundedFiles::Path() const
{
    return path_ ? *path_ : kEmpty;
}

double qvxFoundedFiles::Size() const
{
    double total = 0;
    for (const auto& item : items_) total += item->FileSize();
    return total;
}

std::shared_ptr<FoundedFile> qvxFoundedFiles::Item(std::int32_t Index) const
{
    if (Index < 0 || static_cast<std::size_t>(Index) >= items_.size())
        throw AutomationError(errnum::SubscriptOutOfRange, u"qvxFoundedFiles");
    return items_[static_cast<std::size_t>(Index)];
}

bool qvxFoundedFiles::Refresh(const std::u16string& Path, const std::u16string& Mask)
{
    return RefreshEx(Path, Mask, true, nullptr);
}

bool qvxFoundedFiles::RefreshEx(const std::u16string& Path, const std::u16string& Mask, bool FollowReparsePoints,
                                IFindFilesCallback* CallBackObject)
{
    return RefreshEx2(Path, Mask, FollowReparsePoints, CallBackObject, false);
}

bool qvxFoundedFiles::RefreshEx2(const std::u16string& Path, const std::u16string& Mask, bool FollowReparsePoints,
                                 IFindFilesCallback* CallBackObject, bool SearchWithParent)
{
    // A callback that searched again with this object would replace the list the
    // running search is filling, and leave it holding entries of both.
    if (searching_)
        throw AutomationError(errnum::InvalidProcedureCall, u"qvxFoundedFiles",
                              u"Invalid procedure call or argument: a search of this object is still running");
    struct Running {
        bool& flag;
        explicit Running(bool& f) : flag(f) { flag = true; }
        ~Running() { flag = false; }
    } running(searching_);
    const Options options{Mask, FollowReparsePoints, CallBackObject};
    return Search(Path, Mask, options, SearchWithParent, nullptr);
}

bool qvxFoundedFiles::Search(const std::u16string& Path, const std::u16string& Mask, const Options& options,
                             bool SearchWithParent, const Ancestor* ancestors, const platform::FindData* folder)
{
    items_.clear();
    path_ = std::make_shared<const std::u16string>(Path);
    hasSubItems_ = true;
    cancelled_ = false;

    std::u16string pattern;
    if (SearchWithParent || asTrimEx(Mask).empty())
        pattern = Path;
    else
        pattern = esBuildFileName(Path, Mask, false);

    // The whole level is read first: its entries then live in one block, and the folder
    // is closed before the search goes down into its subfolders.
    std::vector<platform::FindData> found;
    Ancestor self{0, 0, ancestors};
    const bool root = platform::PathIsRoot(pattern);
    if (root) {
        // A root has no folder to be found in: one entry stands for it, named as given.
        platform::FindData queried;
        if (platform::QueryFindData(pattern, queried)) {
            hasSubItems_ = false;
            return false;
        }
        platform::FindData& data = found.emplace_back();
        data.attributes = queried.attributes;
        data.attributeWord = queried.attributeWord;
        data.device = queried.device;
        data.inode = queried.inode;
        data.name = pattern;
    } else {
        platform::FindHandle handle;
        platform::FindData data;
        if (platform::FindFirstFile(pattern, handle, data, folder)) {
            hasSubItems_ = false;
            return false;
        }
        self.device = handle.Device();
        self.inode = handle.Inode();
        do {
            if (!IsDotEntry(data.name)) found.push_back(std::move(data));
        } while (!platform::FindNextFile(handle, data));
    }
    const Ancestor* chain = root ? ancestors : &self;

    auto level = std::make_shared<Level>();
    level->path = path_;
    level->entries.reserve(found.size());
    for (platform::FindData& data : found) {
        FoundedFile& entry = level->entries.emplace_back(FoundedFile::Key{});
        InitFromFindData(entry, std::move(data), options, SearchWithParent, chain, *level);
        if (entry.childs_ && entry.childs_->IsCancelled()) {
            cancelled_ = true;
            hasSubItems_ = false;
            return false;
        }
    }
    // Each item shares the block: an item kept after its collection keeps its level.
    items_.reserve(level->entries.size());
    for (FoundedFile& entry : level->entries) items_.emplace_back(level, &entry);
    hasSubItems_ = !items_.empty();
    if (options.callback != nullptr) {
        bool cancel = false;
        options.callback->DirectoryCompleted(Path, cancel);
        cancelled_ = cancel;
    }
    return true;
}

void qvxFoundedFiles::InitFromFindData(FoundedFile& entry, platform::FindData&& data, const Options& options,
                                       bool SearchWithParent, const Ancestor* ancestors, Level& level)
{
    entry.attributes_ = data.attributes;
    entry.attributesLater_ = data.attributesLater;
    entry.creationTime_ = data.creationTime;
    entry.creationTimeLater_ = data.creationTimeLater;
    entry.lastAccessTime_ = data.lastAccessTime;
    entry.lastWriteTime_ = data.lastWriteTime;
    entry.size_ = data.size;
    entry.allocated_ = data.allocatedSize;
    entry.name_ = std::move(data.name);

    const std::u16string& levelPath = *path_;
    if (!SearchWithParent) {
        entry.path_ = level.path.get();
    } else {
        std::u16string parent = levelPath;
        if (entry.name_.size() <= parent.size() &&
            Upper(std::u16string_view(parent).substr(parent.size() - entry.name_.size())) == Upper(entry.name_)) {
            parent.resize(parent.size() - entry.name_.size());
            // One separator goes ("C:\\data" -> "C:", "/srv/data" -> "/srv"); the POSIX
            // root keeps its own, so the entry still names it.
            if (parent.size() > 1 && IsNativeSeparator(parent.back())) parent.pop_back();
        }
        entry.path_ = &level.parentPaths.emplace_back(std::move(parent));
    }

    if (!entry.AttributeDirectory()) return;
    if (entry.AttributeReparsePoint() && !options.followReparsePoints) return;
    // A link back to a directory of its own path would be entered forever.
    if (data.inode != 0 && ancestors != nullptr && ancestors->Holds(data.device, data.inode)) return;
    const std::u16string childPath = SearchWithParent ? levelPath : esBuildFileName(levelPath, entry.name_, false);
    const Ancestor self{data.device, data.inode, ancestors};
    entry.childs_ = std::make_shared<qvxFoundedFiles>();
    entry.childs_->Search(childPath, options.mask, options, false, data.inode != 0 ? &self : ancestors, &data);
}

}  // namespace Hollin0106
