// The read-only NTFS volume reader behind NtfsImage: where the volume lies in the image,
// the MFT through its own run list, files with their attribute lists, attribute data,
// $I30 lookups and index walks, and paths from parent references. Every structure is
// decoded by filelib/ntfs/NtfsFormat; the only I/O is platform::ReadImageAt.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

#include "filelib/ntfs/NtfsFormat.h"
#include "platform/ImageFile.h"

namespace ntfs {

// A structure of the volume that cannot be read or is damaged: the entry that needs it
// fails with this text, and the rest of the work goes on.
class Damaged : public std::runtime_error {
public:
    explicit Damaged(std::u16string what);
    const std::u16string& Text() const { return text_; }

private:
    std::u16string text_;
};

// The bytes of a volume: `Length` bytes from `Offset` of the image.
struct Placement {
    std::uint64_t Offset = 0;
    std::uint64_t Length = 0;
    std::int32_t Partition = 0;  // 1-based in table order; 0 for a volume without a table
};

// Why a volume could not be placed: a number of the classic run-time errors and a text.
struct PlacementError {
    std::int32_t Number = 0;
    std::u16string Text;
};

// Finds the volume in `image`: the image itself when it starts with an NTFS boot sector
// and `partition` is 0; else the partition table's entry `partition` (1-based), or with
// 0 the first entry that holds an NTFS volume.
std::optional<Placement> PlaceVolume(const platform::ImageFile& image, std::int32_t partition, PlacementError& error);

// One file: its base record, the extension records its attribute list names, and all
// their attributes (which point into the records' bytes held here).
struct File {
    File() = default;
    File(File&&) = default;
    File& operator=(File&&) = default;
    // A copy would point into the records of the original.
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    std::uint64_t Number = 0;
    FileRecord Base;
    std::vector<Attribute> Attributes;
    std::vector<std::vector<std::uint8_t>> Records;

    const Attribute* Find(std::uint32_t type, std::u16string_view name = {}) const;
    // The names of the file: every $FILE_NAME, in record order.
    std::vector<FileName> Names() const;
};

// A non-resident attribute's whole run list (every extent) and sizes.
struct Stream {
    std::vector<Run> Runs;
    std::uint64_t DataSize = 0;
    std::uint64_t InitializedSize = 0;
};

class Volume {
public:
    // Reads the boot sector (at the volume's start), the MFT's own record (its mirror when
    // the first records are damaged) and $UpCase. Throws Damaged when the volume cannot
    // be read at all.
    Volume(std::shared_ptr<const platform::ImageFile> image, Placement placement);

    const BootSector& Boot() const { return boot_; }
    const Placement& Where() const { return placement_; }
    std::uint64_t RecordCount() const { return recordCount_; }
    std::uint64_t ClusterCount() const { return clusterCount_; }
    const UpCase& Upper() const { return upcase_; }

    // Record `number` with its update sequence applied; the mirror's copy for the first
    // records when the MFT's own is damaged. Throws Damaged.
    std::vector<std::uint8_t> ReadRecord(std::uint64_t number) const;
    // Reads a batch of records for a scan: `count` records from `first`, each with its
    // update sequence applied or its refusal. Throws Damaged when the bytes cannot be read.
    void ReadRecords(std::uint64_t first, std::size_t count, std::vector<std::uint8_t>& bytes,
                     std::vector<Refusal>& refusals) const;

    // The file whose base record is `number`, with the attributes its attribute list
    // names. Throws Damaged for a damaged record or list, or when the record is no base
    // record; a record not in use loads and says so (Base.InUse()).
    File Load(std::uint64_t number) const;

    // The run list and sizes of a non-resident attribute's extents (type and name).
    Stream StreamOf(const File& file, std::uint32_t type, std::u16string_view name) const;
    // Reads [offset, offset + count) of a stream: sparse runs and bytes past the
    // initialized size read as zeros; past the data size throws Damaged.
    void ReadStream(const Stream& stream, std::uint64_t offset, std::uint8_t* out, std::size_t count) const;
    // The whole value of an attribute, resident or not; Damaged when it is larger than
    // `limit` bytes (nothing is allocated for it then).
    std::vector<std::uint8_t> ReadValue(const File& file, const Attribute& attribute, std::size_t limit) const;

    // Looks `name` up in the folder's $I30 index, case-insensitively through $UpCase (an
    // exact match preferred among names that differ only in case). Nothing when the
    // folder holds no such name. Throws Damaged for a damaged index.
    std::optional<FileName> Lookup(const File& folder, std::u16string_view name, std::uint64_t& reference) const;

    // Calls `visit` with every entry of the index `name` in key order (sub-nodes first).
    // `visit` returns false to stop. Throws Damaged for a damaged index (loops included).
    void WalkIndex(const File& file, std::u16string_view name, const std::function<bool(const IndexEntry&)>& visit) const;

private:
    void ReadVolume(std::uint64_t offset, std::uint8_t* out, std::size_t count) const;
    std::vector<std::uint8_t> ReadIndexBlock(const Stream& allocation, std::uint32_t blockSize, std::uint64_t vcn) const;
    std::uint64_t IndexVcnSize(std::uint32_t blockSize) const;

    std::shared_ptr<const platform::ImageFile> image_;
    Placement placement_;
    BootSector boot_;
    std::uint64_t clusterCount_ = 0;
    Stream mft_;
    std::uint64_t recordCount_ = 0;
    UpCase upcase_;
};

// Paths of files from their names' parent references, with the folders met on the way
// kept, so that a listing reads each folder once.
class PathBuilder {
public:
    explicit PathBuilder(const Volume& volume) : volume_(volume) {}
    // "/" + the names from the root down to `name`, whose parent reference it follows.
    // Throws Damaged when a parent cannot be read, is no folder in use, was reused (its
    // sequence number differs) or the parents run in a circle.
    std::u16string PathOf(const FileName& name);

private:
    std::u16string FolderPath(std::uint64_t reference);

    const Volume& volume_;
    std::unordered_map<std::uint64_t, std::u16string> folders_;
};

// The name a file is shown under in `folder` (or anywhere, for 0): a Win32 or POSIX name
// rather than its DOS 8.3 name.
const FileName* PreferredName(const std::vector<FileName>& names, std::optional<std::uint64_t> folder = std::nullopt);

inline constexpr std::uint64_t kRootRecord = 5;
inline constexpr std::uint64_t kUpCaseRecord = 10;
inline constexpr std::uint64_t kExtendRecord = 11;
// NTFS stores at most 16 KiB of reparse data; what is read is capped well above that.
inline constexpr std::size_t kReparseValueLimit = 64 * 1024;

}  // namespace ntfs
