// qvxFoundedFiles, FoundedFile and IFindFilesCallback: a search of a directory tree with
// a Windows wildcard mask, built in memory as a tree of found entries.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <Hollin0106/Export.h>

namespace platform {
struct FindData;
}

namespace Hollin0106 {

class qvxFoundedFiles;

// Told when each searched directory is complete (children before parents, the top
// level last). Setting Cancel abandons the search of every level above. The library's
// own implementation does nothing.
class HOLLIN0106_API IFindFilesCallback {
public:
    virtual ~IFindFilesCallback() = default;
    virtual void DirectoryCompleted(const std::u16string& /*Path*/, bool& /*Cancel*/) {}
};

// One found entry. Made only by the search; a caller may keep it after the collection
// goes away (the entries of one level are kept together, and go with the last of them).
class HOLLIN0106_API FoundedFile {
    struct Key {
        explicit Key() = default;
    };

public:
    // Only the search can name the key.
    explicit FoundedFile(Key) {}

    // The entries found in this directory by the same search one level down; empty for
    // files and for directories that were not entered.
    std::shared_ptr<qvxFoundedFiles> Childs() const;
    // The directory that holds the entry.
    const std::u16string& Path() const;
    // The attributes in the Windows layout (0x10 directory, 0x400 reparse point, ...).
    // Where the file system keeps them apart (the NTFS attribute word on ntfs-3g), those
    // of a file are read on the first call that needs more than the directory bit (the
    // ones the search saw when the entry is gone by then).
    std::int32_t FileAttributes() const { return static_cast<std::int32_t>(Attributes()); }

    bool AttributeReadOnly() const { return (Attributes() & 0x1) != 0; }
    bool AttributeHidden() const { return (Attributes() & 0x2) != 0; }
    bool AttributeSystem() const { return (Attributes() & 0x4) != 0; }
    bool AttributeDirectory() const { return (attributes_ & 0x10) != 0; }
    bool AttributeArchive() const { return (Attributes() & 0x20) != 0; }
    bool AttributeDevice() const { return (Attributes() & 0x40) != 0; }
    bool AttributeTemporary() const { return (Attributes() & 0x100) != 0; }
    bool AttributeSparseFile() const { return (Attributes() & 0x200) != 0; }
    bool AttributeReparsePoint() const { return (Attributes() & 0x400) != 0; }
    bool AttributeCompressed() const { return (Attributes() & 0x800) != 0; }
    bool AttributeOffline() const { return (Attributes() & 0x1000) != 0; }
    bool AttributeNotContentIndexed() const { return (Attributes() & 0x2000) != 0; }
    bool AttributeEncrypted() const { return (Attributes() & 0x4000) != 0; }

    // Automation dates in local time (the current offset from UTC), whole seconds; the
    // zero date when a time cannot be converted. Where the file system keeps the
    // creation time apart (ntfs-3g), it is read on the first call (the last write time
    // when the entry is gone by then).
    double CreationTime() const;
    double LastAccessTime() const;
    double LastWriteTime() const;
    // A directory: the sum over its Childs (its searched subtree; 0 when not entered),
    // computed on first read and kept. Any other entry: its length in bytes.
    double FileSize() const;
    // As Windows' compressed-size call: for a compressed or sparse entry the space it
    // takes on disk, for any other its length (0 for a directory).
    double CompressedFileSize() const;
    // The full Unicode name.
    const std::u16string& FileName() const { return name_; }
    // The 8.3 name: always empty here.
    std::u16string AlternateFileName() const { return {}; }

private:
    friend class qvxFoundedFiles;

    // The attributes, completed first when the search left some for later.
    std::uint32_t Attributes() const;

    mutable std::uint32_t attributes_ = 0;
    mutable bool attributesLater_ = false;    // completed on first use (see FileAttributes)
    mutable bool creationTimeLater_ = false;  // read on first use (see CreationTime)
    mutable std::uint64_t creationTime_ = 0;  // FILETIMEs
    std::uint64_t lastAccessTime_ = 0;
    std::uint64_t lastWriteTime_ = 0;
    std::uint64_t size_ = 0;
    std::uint64_t allocated_ = 0;  // the room on disk of a compressed or sparse entry
    mutable double sizeCache_ = -1.0;
    std::u16string name_;
    const std::u16string* path_ = nullptr;              // held by the entries' level
    mutable std::shared_ptr<qvxFoundedFiles> childs_;    // made when first needed
};

// The entries of one searched directory, in the order the file system returned them.
class HOLLIN0106_API qvxFoundedFiles {
public:
    using const_iterator = std::vector<std::shared_ptr<FoundedFile>>::const_iterator;

    // True when the last search found at least one entry.
    bool HasSubItems() const { return hasSubItems_; }
    // The Path argument of the last search, unchanged.
    const std::u16string& Path() const;
    // The sum of FileSize over the entries of this level (directories with their subtree).
    double Size() const;

    // RefreshEx following reparse points, without a callback.
    bool Refresh(const std::u16string& Path, const std::u16string& Mask);
    // RefreshEx2 without SearchWithParent.
    bool RefreshEx(const std::u16string& Path, const std::u16string& Mask, bool FollowReparsePoints = false,
                   IFindFilesCallback* CallBackObject = nullptr);
    // Searches `Path` for the entries that match `Mask` and enters every matching
    // directory with the same mask (a reparse point or link only with
    // FollowReparsePoints; never one that leads back to a directory of its own path).
    // An empty Mask, or SearchWithParent, finds the entry Path names itself. True when
    // the search ran to its end; False with an empty list when nothing matched (a
    // missing folder included) or a callback cancelled below the top level. A
    // directory that cannot be read is listed with empty Childs and the search goes on.
    // Errors the callback raises reach the caller. A callback that starts another
    // search with this same object gets error 5: the running search goes on.
    bool RefreshEx2(const std::u16string& Path, const std::u16string& Mask, bool FollowReparsePoints = false,
                    IFindFilesCallback* CallBackObject = nullptr, bool SearchWithParent = false);

    // The entry at the 0-based `Index`; error 9 outside 0..Count-1.
    std::shared_ptr<FoundedFile> Item(std::int32_t Index) const;
    std::int32_t Count() const { return static_cast<std::int32_t>(items_.size()); }
    const_iterator begin() const { return items_.begin(); }
    const_iterator end() const { return items_.end(); }

private:
    struct Ancestor;
    struct Level;
    struct Options;

    bool Search(const std::u16string& Path, const std::u16string& Mask, const Options& options,
                bool SearchWithParent, const Ancestor* ancestors, const platform::FindData* folder = nullptr);
    void InitFromFindData(FoundedFile& entry, platform::FindData&& data, const Options& options,
                          bool SearchWithParent, const Ancestor* ancestors, Level& level);
    bool IsCancelled() const { return cancelled_; }

    std::vector<std::shared_ptr<FoundedFile>> items_;
    std::shared_ptr<const std::u16string> path_;
    bool hasSubItems_ = false;
    bool cancelled_ = false;
    bool searching_ = false;  // RefreshEx2 is running (a callback may call it again)
};

}  // namespace Hollin0106
