// NtfsImage: the reparse points of an NTFS volume read straight from a disk image or
// block device, without mounting it and without ever writing to it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <Hollin0106/Export.h>
#include <Hollin0106/qvxTypes.h>

namespace ntfs {
class Volume;
}

namespace Hollin0106 {

// A named data stream ("file:name") of an entry.
struct NtfsStream {
    std::u16string Name;
    std::uint64_t Size = 0;
};

// One reparse point of the volume, or one entry asked for by its path.
struct NtfsReparseEntry {
    // The path inside the volume with "/" separators and a leading "/", as a mount of the
    // volume at M shows it at M + Path; a file with several hard links is one entry per
    // link. When a damaged record hides the names: "<MFT record N>".
    std::u16string Path;
    std::uint64_t RecordNumber = 0;  // the file's MFT record
    bool IsDirectory = false;
    // From $STANDARD_INFORMATION: the attribute word in the Windows layout (0x400 reparse
    // point, 0x2 hidden, ...) and the creation and last-write times as FILETIMEs (100 ns
    // since 1601-01-01 UTC); 0 when the file's record could not be read.
    std::uint32_t FileAttributes = 0;
    std::uint64_t CreationTime = 0;
    std::uint64_t LastWriteTime = 0;
    // The named $DATA streams, in record order.
    std::vector<NtfsStream> Streams;
    // The reparse tag: the buffer's own, or the index's when the buffer cannot be read.
    std::uint32_t Tag = 0;
    // The raw reparse buffer exactly as the volume stores it (and as the mounted entry's
    // system.ntfs_reparse_data gives it); empty when it could not be read.
    std::vector<std::uint8_t> Data;
    // What GetSymlinkTargetEx hands back for the same bytes: its result code (4 for a path
    // that names nothing, 6 for an entry without a reparse point, 1 when the file's record
    // is damaged, 2 when its reparse data cannot be read), the normalised target (a
    // relative one resolved against Path's folder), the substitute name (or a WSL link's
    // target), the print name and the relative flag.
    SymlinkTargetError_Const Code = steSuccess;
    std::u16string Target;
    std::u16string RawTarget;
    std::u16string PrintName;
    bool Relative = false;
    // Codes 1 and 2: which structure is damaged and how; empty otherwise.
    std::u16string ErrorDetail;
};

// Where the volume lies and how it is laid out.
struct NtfsVolumeInfo {
    std::int32_t Partition = 0;       // 1-based in table order; 0 for an image of the volume alone
    std::uint64_t Offset = 0;         // bytes into the image
    std::uint64_t Size = 0;
    std::uint32_t BytesPerSector = 0;
    std::uint32_t ClusterSize = 0;
    std::uint32_t RecordSize = 0;
    std::uint64_t RecordCount = 0;    // records in the MFT
};

// A listing of every reparse point of a volume, read one entry at a time, so that a
// program can show entries as they come, report progress and stop early. The list comes
// from $Extend\$Reparse's $R index; when that index is missing or damaged, from a scan of
// the whole MFT (the same list, in record order). Records not in use are skipped.
// Memory grows with the listing, not with the volume.
//
// Next() runs on one thread at a time; Cancel(), Done(), Total() and Cancelled() may be
// called from any thread meanwhile (a window's Cancel button while a worker lists).
class HOLLIN0106_API NtfsReparseScan {
public:
    NtfsReparseScan();
    ~NtfsReparseScan();
    NtfsReparseScan(NtfsReparseScan&&) noexcept;
    NtfsReparseScan& operator=(NtfsReparseScan&&) noexcept;

    // The next entry: true with `entry` filled, false when the listing is complete or
    // cancelled. A damaged file gives an entry with its Code and ErrorDetail, and the
    // listing goes on. Never throws for what the image holds.
    bool Next(NtfsReparseEntry& entry);
    // Next, calling `progress` after each piece of work (an index key, a batch of MFT
    // records) while it looks for the next entry, so that a long stretch without entries
    // still shows progress.
    bool Next(NtfsReparseEntry& entry, const std::function<void()>& progress);
    // Asks the listing to stop: the next Next() returns false.
    void Cancel();
    bool Cancelled() const;
    // Progress as work done out of work to do (index keys, or MFT records in a scan);
    // Done() reaches Total() when the listing is complete.
    std::uint64_t Done() const;
    std::uint64_t Total() const;
    // True when the list comes from the $R index, false for a scan of the MFT.
    bool FromIndex() const;
    // Why the $R index was not used ("" when it was).
    std::u16string IndexProblem() const;

    struct State;

private:
    friend class NtfsImage;
    std::unique_ptr<State> state_;
};

// An NTFS volume in an image file or on a block device, opened read-only (O_RDONLY): read
// permission on the file is all it needs, and nothing is ever written to it. The image
// may be the volume alone, or a whole disk with an MBR (extended partitions included) or
// GPT partition table.
//
//     Hollin0106::NtfsImage image;
//     if (!image.Open(u"disk.img")) fail(image.ErrorDescription());
//     auto scan = image.ScanReparsePoints();
//     for (Hollin0106::NtfsReparseEntry e; scan.Next(e);) show(e.Path, e.Tag, e.Target);
//     auto one = image.ReadEntry(u"/Users/All Users");   // e.Data as the mount gives it
//
// Reading entries and scanning work on a volume that stays unchanged: several scans may
// run at once on different threads.
class HOLLIN0106_API NtfsImage {
public:
    NtfsImage();
    ~NtfsImage();
    NtfsImage(NtfsImage&&) noexcept;
    NtfsImage& operator=(NtfsImage&&) noexcept;

    // Opens `ImagePath` and finds its volume: with `Partition` 0 the image itself when it
    // is a volume, else the first partition that holds NTFS; with N the N-th partition of
    // the table (1-based, in table order; an extended partition's logical ones stand in its
    // place). True on success. On failure false, and ErrorNumber()/ErrorDescription() say
    // why: 53 no such file, 75 not readable (a folder, no permission), 57 a read error,
    // 9 no such partition, 5 a negative partition number, 321 no NTFS volume found or its
    // boot sector or MFT unreadable. With `RaiseErrors` the failure is raised as an
    // AutomationError (source "NtfsImage") instead. Any volume opened before is closed.
    bool Open(const std::u16string& ImagePath, std::int32_t Partition = 0, bool RaiseErrors = false);
    void Close();
    bool IsOpen() const;

    std::int32_t ErrorNumber() const;
    const std::u16string& ErrorDescription() const;
    // Valid while open.
    const NtfsVolumeInfo& Volume() const;

    // The entry `VolumePath` names ("/" or "\" separators, a leading one optional; names
    // compared as Windows compares them, through the volume's upper-case table; a DOS 8.3
    // name finds its file too). Path holds the names as the volume spells them. Code 4 when
    // no such entry exists, 6 when it has no reparse point. Raises error 5 when no volume
    // is open.
    NtfsReparseEntry ReadEntry(const std::u16string& VolumePath) const;

    // A listing of every reparse point of the volume. Raises error 5 when no volume is
    // open. The scan keeps the volume open on its own, even after Close().
    NtfsReparseScan ScanReparsePoints() const;

    // The whole listing at once.
    std::vector<NtfsReparseEntry> ReparsePoints() const;

private:
    std::shared_ptr<const ntfs::Volume> volume_;
    NtfsVolumeInfo info_;
    std::int32_t errorNumber_ = 0;
    std::u16string errorDescription_;
};

}  // namespace Hollin0106
