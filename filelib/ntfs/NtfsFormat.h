// Pure decoders of NTFS's on-disk structures and of the partition tables around a volume,
// one per structure, over byte spans through ByteReader. No I/O here: the volume reader
// (NtfsVolume) fetches the bytes and hands them in.
//
// Layouts follow the Linux-NTFS project's NTFS documentation, libyal's "New Technologies
// File System (NTFS)" format notes and Microsoft's published structures (the update
// sequence, FILE_RECORD_SEGMENT_HEADER, ATTRIBUTE_RECORD_HEADER, STANDARD_INFORMATION,
// FILE_NAME, INDEX_HEADER). Offsets and widths stand next to each decoder.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace ntfs {

// Every decoder says why it refused its bytes with one of these texts (for the
// "damaged structure" errors the reader hands on), or nothing on success.
using Refusal = std::optional<std::u16string>;

// ---- Partition tables --------------------------------------------------------------

struct PartitionEntry {
    std::uint64_t FirstByte = 0;
    std::uint64_t Length = 0;
    bool MaybeNtfs = false;  // MBR type 0x07, or GPT's basic data type
};

enum class TableKind { None, Mbr, Gpt };

// The partition table in the first sectors of a disk. `readSector(lba, sectorSize)` gives
// the bytes of one sector (empty when it cannot be read). MBR: the four primary entries in
// table order, each extended partition's chain of logical partitions in place of the
// extended entry (type 0x05, 0x0F, 0x85), loops and chains that leave the disk refused.
// GPT (a protective MBR of type 0xEE): the header at LBA 1 with its signature, the entry
// array's used entries in table order. Entries that end past `diskSize` are dropped.
struct PartitionTable {
    TableKind Kind = TableKind::None;
    std::uint32_t SectorSize = 512;
    std::vector<PartitionEntry> Entries;
};
struct SectorSource {
    virtual ~SectorSource() = default;
    // The `count` bytes at `offset`; fewer (or none) when the disk ends or cannot be read.
    virtual std::vector<std::uint8_t> Read(std::uint64_t offset, std::size_t count) const = 0;
};
PartitionTable DecodePartitionTable(const SectorSource& disk, std::uint64_t diskSize);

// ---- Boot sector -------------------------------------------------------------------

struct BootSector {
    std::uint32_t BytesPerSector = 0;
    std::uint32_t ClusterSize = 0;
    std::uint64_t TotalSectors = 0;
    std::uint64_t MftCluster = 0;
    std::uint64_t MftMirrorCluster = 0;
    std::uint32_t RecordSize = 0;
    std::uint32_t IndexBlockSize = 0;
    std::uint64_t SerialNumber = 0;
};

// Whether `sector` starts like an NTFS boot sector (the "NTFS    " OEM name at 3).
bool LooksLikeNtfsBootSector(std::span<const std::uint8_t> sector);

// The NTFS boot sector (at least 512 bytes): sector sizes 256 to 4,096, clusters 256 bytes
// to 2 MiB (a count above 0x80 at offset 13 is 2^(256 - count) sectors), records and
// index blocks by a positive cluster count or a negative power of two, each 256 bytes to
// 64 KiB; the signature 55 AA at 510. Refused when any of that does not hold.
Refusal DecodeBootSector(std::span<const std::uint8_t> sector, BootSector& out);

// ---- Update sequence (fixups) ------------------------------------------------------

// The stride of the update sequence: NTFS protects every 512 bytes, whatever the sector size.
inline constexpr std::size_t kUpdateSequenceStride = 512;

// Checks and undoes the update sequence of a multi-sector record ("FILE" or "INDX") in
// place: the array at offset 4 (its offset, 2 bytes) and 6 (its count, 2 bytes) holds the
// sequence number and one saved pair of bytes for each 512-byte stride; the last two bytes
// of every stride must equal the sequence number (else the record is torn) and get their
// saved bytes back. `magic` is checked first. `record` must be a whole number of strides.
Refusal ApplyFixups(std::span<std::uint8_t> record, std::u16string_view magic);

// ---- MFT records and attributes ----------------------------------------------------

inline constexpr std::uint64_t kReferenceRecordMask = 0x0000FFFFFFFFFFFFull;
inline std::uint64_t RecordOf(std::uint64_t reference)
{
    return reference & kReferenceRecordMask;
}
inline std::uint16_t SequenceOf(std::uint64_t reference)
{
    return static_cast<std::uint16_t>(reference >> 48);
}

enum AttributeType : std::uint32_t {
    kAttrStandardInformation = 0x10,
    kAttrAttributeList = 0x20,
    kAttrFileName = 0x30,
    kAttrData = 0x80,
    kAttrIndexRoot = 0x90,
    kAttrIndexAllocation = 0xA0,
    kAttrBitmap = 0xB0,
    kAttrReparsePoint = 0xC0,
    kAttrEnd = 0xFFFFFFFF,
};

struct Attribute {
    std::uint32_t Type = 0;
    std::u16string Name;
    std::uint16_t Flags = 0;  // 0x0001 compressed, 0x4000 encrypted, 0x8000 sparse
    std::uint16_t Id = 0;
    bool Resident = true;
    std::span<const std::uint8_t> Value;  // resident: the value, inside the record's bytes
    // Non-resident:
    std::uint64_t LowestVcn = 0;
    std::uint64_t HighestVcn = 0;
    std::uint64_t AllocatedSize = 0;
    std::uint64_t DataSize = 0;
    std::uint64_t InitializedSize = 0;
    std::span<const std::uint8_t> Runlist;  // the mapping pairs, inside the record's bytes
};

struct FileRecord {
    std::uint16_t Sequence = 0;      // 16
    std::uint16_t LinkCount = 0;     // 18
    std::uint16_t Flags = 0;         // 22: 0x1 in use, 0x2 directory
    std::uint64_t BaseReference = 0; // 32: 0 for a base record
    std::vector<Attribute> Attributes;

    bool InUse() const { return (Flags & 0x1) != 0; }
    bool IsDirectory() const { return (Flags & 0x2) != 0; }
};

// One MFT record after ApplyFixups: the header (magic "FILE" at 0, sequence at 16, link
// count at 18, first attribute at 20, flags at 22, bytes in use at 24, allocated bytes at
// 28, base reference at 32) and its attributes, each inside the bytes in use and not
// overlapping the next (type at 0, length at 4, non-resident at 8, name length at 9 and
// offset at 10, flags at 12, id at 14; resident: value length at 16, value offset at 20;
// non-resident: lowest VCN at 16, highest at 24, mapping pairs at 32, allocated size at
// 40, data size at 48, initialized size at 56). The spans point into `record`.
Refusal DecodeFileRecord(std::span<const std::uint8_t> record, FileRecord& out);

// One run of a non-resident attribute: `Length` clusters from `Vcn`, at `Lcn` or sparse.
struct Run {
    std::uint64_t Vcn = 0;
    std::uint64_t Lcn = 0;
    std::uint64_t Length = 0;
    bool Sparse = false;
};

// The mapping pairs of one attribute extent starting at `firstVcn`: a header byte whose
// low nibble is the width of the length and high nibble the width of the signed LCN
// delta (0: a sparse run), up to a zero byte. Every run must have a length, lie in
// [0, clusterCount) and end by `lastVcn` + 1, where the runs together must end.
Refusal DecodeRunlist(std::span<const std::uint8_t> pairs, std::uint64_t firstVcn, std::uint64_t lastVcn,
                      std::uint64_t clusterCount, std::vector<Run>& out);

struct AttributeListEntry {
    std::uint32_t Type = 0;           // 0
    std::u16string Name;              // length at 6, offset at 7
    std::uint64_t LowestVcn = 0;      // 8
    std::uint64_t Reference = 0;      // 16: the record that holds the attribute
    std::uint16_t Id = 0;             // 24
};

// The value of $ATTRIBUTE_LIST: entries of `length` (at 4, 2 bytes, a multiple of 8 and
// at least 26) back to back up to the end of the value.
Refusal DecodeAttributeList(std::span<const std::uint8_t> value, std::vector<AttributeListEntry>& out);

enum FileNameSpace : std::uint8_t { kNamePosix = 0, kNameWin32 = 1, kNameDos = 2, kNameWin32AndDos = 3 };

struct FileName {
    std::uint64_t ParentReference = 0;  // 0
    std::uint32_t FileAttributes = 0;   // 56
    std::uint8_t NameSpace = 0;         // 65
    std::u16string Name;                // length (units) at 64, the name from 66
};

// The value of $FILE_NAME (also the key of a $I30 index entry).
Refusal DecodeFileName(std::span<const std::uint8_t> value, FileName& out);

struct StandardInformation {
    std::uint64_t CreationTime = 0;      // 0
    std::uint64_t ModificationTime = 0;  // 8
    std::uint64_t MftChangeTime = 0;     // 16
    std::uint64_t AccessTime = 0;        // 24
    std::uint32_t FileAttributes = 0;    // 32
};

// The value of $STANDARD_INFORMATION (48 bytes in NTFS 1.2, 72 in 3.x; the first 36 read).
Refusal DecodeStandardInformation(std::span<const std::uint8_t> value, StandardInformation& out);

// ---- Indexes -----------------------------------------------------------------------

struct IndexEntry {
    std::uint64_t Reference = 0;          // $I30: the file the entry names (0)
    std::span<const std::uint8_t> Key;    // key length at 10, key from 16
    std::span<const std::uint8_t> Data;   // view indexes: data offset at 0, data length at 2
    bool Last = false;                    // flags at 12: 0x2
    std::optional<std::uint64_t> SubnodeVcn;  // flags 0x1: the last 8 bytes of the entry
};

// The entries of an index node: the node header (entries offset at 0, size of the
// entries at 4, allocated size at 8, flags at 12) at the start of `node`, offsets
// relative to it; each entry (length at 8, at least 16 and a multiple of 8) inside the
// size the header gives, up to the one flagged last. The spans point into `node`.
Refusal DecodeIndexNode(std::span<const std::uint8_t> node, std::vector<IndexEntry>& out);

struct IndexRoot {
    std::uint32_t IndexedType = 0;     // 0: 0x30 for file names, 0 for view indexes
    std::uint32_t Collation = 0;       // 4
    std::uint32_t BlockSize = 0;       // 8
    std::span<const std::uint8_t> Node;  // 16: the node header and entries
};

// The value of $INDEX_ROOT.
Refusal DecodeIndexRoot(std::span<const std::uint8_t> value, IndexRoot& out);

// One index block after ApplyFixups ("INDX"): its VCN at 16 must be `vcn`; the node
// header at 24. `node` is set to the node's bytes.
Refusal DecodeIndexBlock(std::span<const std::uint8_t> block, std::uint64_t vcn, std::span<const std::uint8_t>& node);

// A key of $Extend\$Reparse's $R index: tag (4), file reference (8).
struct ReparseKey {
    std::uint32_t Tag = 0;
    std::uint64_t Reference = 0;
};
Refusal DecodeReparseKey(std::span<const std::uint8_t> key, ReparseKey& out);

// ---- $UpCase and names ---------------------------------------------------------------

// The upper-case table of a volume ($UpCase's data): one UTF-16 unit per unit, 65,536 of
// them. A short or missing table leaves the units it does not cover unchanged.
class UpCase {
public:
    UpCase() = default;
    explicit UpCase(std::span<const std::uint8_t> table);
    // Takes `units` units already in host order (Volume reads $UpCase straight into them).
    UpCase(std::unique_ptr<char16_t[]> table, std::size_t units)
        : table_(std::move(table)), size_(std::min<std::size_t>(units, 65536))
    {
    }
    char16_t operator()(char16_t c) const { return c < size_ ? table_[c] : c; }
    // Compares as NTFS orders names in a file-name index: unit by unit in upper case,
    // then the shorter first. <0, 0, >0.
    int Compare(std::u16string_view a, std::u16string_view b) const;

private:
    std::unique_ptr<char16_t[]> table_;
    std::size_t size_ = 0;
};

// UTF-16LE bytes as text (an odd last byte is dropped).
std::u16string Utf16FromBytes(std::span<const std::uint8_t> bytes);

}  // namespace ntfs
