// Decoders of NTFS's on-disk structures and of MBR and GPT partition tables.
#include "filelib/ntfs/NtfsFormat.h"

#include <algorithm>
#include <array>
#include <set>

#include "common/ByteReader.h"

using Hollin0106::ByteReader;

namespace ntfs {

namespace {

bool IsPowerOfTwo(std::uint64_t v)
{
    return v != 0 && (v & (v - 1)) == 0;
}

std::u16string Text(const char* ascii)
{
    return std::u16string(ascii, ascii + std::char_traits<char>::length(ascii));
}

Refusal Refuse(const char* why)
{
    return Text(why);
}

// ---- MBR ---------------------------------------------------------------------------
// Master boot record (512 bytes): four 16-byte entries at 446 (boot flag 0, CHS 1..3,
// type 4, CHS 5..7, first LBA 8 (4), sector count 12 (4)), signature 55 AA at 510.
// An extended partition's first sector is an EBR of the same layout: entry 0 a logical
// partition relative to that EBR, entry 1 the next EBR relative to the extended
// partition's start.

constexpr std::size_t kMbrEntries = 446;
constexpr std::uint8_t kTypeNtfs = 0x07;
constexpr std::uint8_t kTypeGptProtective = 0xEE;
// At most this many logical partitions: far more than any tool makes, and a bound on a
// chain that a damaged table might run in a circle.
constexpr int kMaxLogical = 128;

bool IsExtended(std::uint8_t type)
{
    return type == 0x05 || type == 0x0F || type == 0x85;
}

struct MbrSlot {
    std::uint8_t Type = 0;
    std::uint64_t FirstLba = 0;
    std::uint64_t Sectors = 0;
};

bool DecodeMbrSlots(std::span<const std::uint8_t> sector, std::array<MbrSlot, 4>& slots)
{
    ByteReader r(sector);
    r.seek(510);
    if (r.u16le() != 0xAA55 || !r.ok()) return false;
    for (std::size_t i = 0; i < 4; ++i) {
        r.seek(kMbrEntries + 16 * i + 4);
        slots[i].Type = r.u8();
        r.skip(3);
        slots[i].FirstLba = r.u32le();
        slots[i].Sectors = r.u32le();
    }
    return r.ok();
}

void AddEntry(PartitionTable& table, std::uint64_t firstLba, std::uint64_t sectors, bool ntfs, std::uint64_t diskSize)
{
    const std::uint64_t s = table.SectorSize;
    if (sectors == 0 || firstLba > diskSize / s || sectors > diskSize / s - firstLba) return;
    table.Entries.push_back({firstLba * s, sectors * s, ntfs});
}

void DecodeLogicalChain(const SectorSource& disk, std::uint64_t diskSize, std::uint64_t extendedLba,
                        PartitionTable& table)
{
    std::set<std::uint64_t> seen;
    std::uint64_t ebr = extendedLba;
    for (int n = 0; n < kMaxLogical; ++n) {
        if (!seen.insert(ebr).second) return;  // a chain that comes back to an EBR
        if (ebr > diskSize / 512) return;
        const auto bytes = disk.Read(ebr * 512, 512);
        std::array<MbrSlot, 4> slots;
        if (bytes.size() < 512 || !DecodeMbrSlots(bytes, slots)) return;
        if (slots[0].Type != 0 && !IsExtended(slots[0].Type))
            AddEntry(table, ebr + slots[0].FirstLba, slots[0].Sectors, slots[0].Type == kTypeNtfs, diskSize);
        if (!IsExtended(slots[1].Type) || slots[1].FirstLba == 0) return;
        ebr = extendedLba + slots[1].FirstLba;
    }
}

// ---- GPT ---------------------------------------------------------------------------
// Header at LBA 1: "EFI PART" at 0, header size at 12, entries' first LBA at 72 (8),
// entry count at 80 (4), entry size at 84 (4). Entry: type GUID at 0 (16), first LBA at
// 32 (8), last LBA at 40 (8, inclusive). The basic data type
// EBD0A0A2-B9E5-4433-87C0-68B6B72699C7 holds NTFS (and FAT) volumes.

constexpr std::array<std::uint8_t, 16> kBasicDataGuid{0xA2, 0xA0, 0xD0, 0xEB, 0xE5, 0xB9, 0x33, 0x44,
                                                      0x87, 0xC0, 0x68, 0xB6, 0xB7, 0x26, 0x99, 0xC7};
constexpr std::uint32_t kMaxGptEntries = 1024;

bool DecodeGpt(const SectorSource& disk, std::uint64_t diskSize, std::uint32_t sectorSize, PartitionTable& table)
{
    const auto header = disk.Read(sectorSize, 92);
    ByteReader r(header);
    const auto signature = r.bytes(8);
    if (!r.ok() || !std::equal(signature.begin(), signature.end(), "EFI PART")) return false;
    r.seek(72);
    const std::uint64_t entriesLba = r.u64le();
    const std::uint32_t count = r.u32le();
    const std::uint32_t entrySize = r.u32le();
    if (!r.ok() || count > kMaxGptEntries || entrySize < 128 || entrySize > 4096 || entrySize % 8 != 0) return false;
    if (entriesLba > diskSize / sectorSize) return false;
    const auto entries = disk.Read(entriesLba * sectorSize, static_cast<std::size_t>(count) * entrySize);
    table.Kind = TableKind::Gpt;
    table.SectorSize = sectorSize;
    ByteReader all(entries);
    for (std::uint32_t i = 0; i < count; ++i) {
        auto entry = all.sub(static_cast<std::size_t>(i) * entrySize, entrySize);
        if (!all.ok()) break;
        ByteReader e(entry);
        const auto type = e.bytes(16);
        if (std::all_of(type.begin(), type.end(), [](std::uint8_t b) { return b == 0; })) continue;
        e.seek(32);
        const std::uint64_t first = e.u64le();
        const std::uint64_t last = e.u64le();
        if (!e.ok() || last < first) continue;
        AddEntry(table, first, last - first + 1, std::equal(type.begin(), type.end(), kBasicDataGuid.begin()),
                 diskSize);
    }
    return true;
}

// Reads one unsigned little-endian value of `width` bytes (0 to 8).
std::uint64_t Unsigned(ByteReader& r, unsigned width)
{
    std::uint64_t v = 0;
    for (unsigned i = 0; i < width; ++i) v |= static_cast<std::uint64_t>(r.u8()) << (8 * i);
    return v;
}

}  // namespace

PartitionTable DecodePartitionTable(const SectorSource& disk, std::uint64_t diskSize)
{
    PartitionTable table;
    const auto mbr = disk.Read(0, 512);
    std::array<MbrSlot, 4> slots;
    if (mbr.size() < 512 || !DecodeMbrSlots(mbr, slots)) return table;
    if (slots[0].Type == kTypeGptProtective) {
        // The GPT header sits in the second sector, whose size the disk does not say.
        for (const std::uint32_t sectorSize : {512u, 4096u})
            if (DecodeGpt(disk, diskSize, sectorSize, table)) return table;
        return table;
    }
    table.Kind = TableKind::Mbr;
    for (const MbrSlot& slot : slots) {
        if (slot.Type == 0) continue;
        if (IsExtended(slot.Type)) DecodeLogicalChain(disk, diskSize, slot.FirstLba, table);
        else AddEntry(table, slot.FirstLba, slot.Sectors, slot.Type == kTypeNtfs, diskSize);
    }
    return table;
}

// ---- Boot sector -------------------------------------------------------------------
// 3: OEM name "NTFS    " (8); 11: bytes per sector (2); 13: sectors per cluster (1);
// 40: total sectors (8); 48: MFT cluster (8); 56: MFT mirror cluster (8); 64: clusters
// per MFT record (signed 1); 68: clusters per index block (signed 1); 72: serial (8);
// 510: 55 AA.

bool LooksLikeNtfsBootSector(std::span<const std::uint8_t> sector)
{
    static constexpr char kOem[] = "NTFS    ";
    ByteReader r(sector);
    r.seek(3);
    const auto oem = r.bytes(8);
    return r.ok() && std::equal(oem.begin(), oem.end(), kOem);
}

namespace {

// A record or index block size: a positive count of clusters, or -n for 2^n bytes.
std::uint64_t SizeFromClusters(std::uint8_t raw, std::uint32_t clusterSize)
{
    const auto count = static_cast<std::int8_t>(raw);
    if (count > 0) return static_cast<std::uint64_t>(count) * clusterSize;
    if (count < 0 && count > -32) return std::uint64_t{1} << -count;
    return 0;
}

}  // namespace

Refusal DecodeBootSector(std::span<const std::uint8_t> sector, BootSector& out)
{
    if (!LooksLikeNtfsBootSector(sector)) return Refuse("no NTFS boot sector (the name \"NTFS\" is missing)");
    ByteReader r(sector);
    r.seek(11);
    const std::uint32_t bytesPerSector = r.u16le();
    const std::uint8_t sectorsRaw = r.u8();
    r.seek(40);
    const std::uint64_t totalSectors = r.u64le();
    const std::uint64_t mft = r.u64le();
    const std::uint64_t mirror = r.u64le();
    const std::uint8_t recordRaw = r.u8();
    r.seek(68);
    const std::uint8_t indexRaw = r.u8();
    r.seek(72);
    const std::uint64_t serial = r.u64le();
    r.seek(510);
    const std::uint16_t signature = r.u16le();
    if (!r.ok()) return Refuse("the boot sector is cut short");
    if (signature != 0xAA55) return Refuse("the boot sector has no 55 AA signature");
    if (!IsPowerOfTwo(bytesPerSector) || bytesPerSector < 256 || bytesPerSector > 4096)
        return Refuse("the boot sector gives an impossible sector size");
    // Above 0x80 the count is the negative exponent of a power of two (clusters over 64 KiB).
    const std::uint64_t sectorsPerCluster = sectorsRaw > 0x80 ? (sectorsRaw < 0xE0 ? 0 : std::uint64_t{1} << (256 - sectorsRaw))
                                                              : sectorsRaw;
    const std::uint64_t clusterSize = sectorsPerCluster * bytesPerSector;
    if (!IsPowerOfTwo(sectorsPerCluster) || clusterSize > 2 * 1024 * 1024)
        return Refuse("the boot sector gives an impossible cluster size");
    const std::uint64_t recordSize = SizeFromClusters(recordRaw, static_cast<std::uint32_t>(clusterSize));
    const std::uint64_t indexSize = SizeFromClusters(indexRaw, static_cast<std::uint32_t>(clusterSize));
    if (!IsPowerOfTwo(recordSize) || recordSize < 256 || recordSize > 65536)
        return Refuse("the boot sector gives an impossible MFT record size");
    if (!IsPowerOfTwo(indexSize) || indexSize < 256 || indexSize > 65536)
        return Refuse("the boot sector gives an impossible index block size");
    if (totalSectors == 0) return Refuse("the boot sector gives a volume of no sectors");
    out.BytesPerSector = bytesPerSector;
    out.ClusterSize = static_cast<std::uint32_t>(clusterSize);
    out.TotalSectors = totalSectors;
    out.MftCluster = mft;
    out.MftMirrorCluster = mirror;
    out.RecordSize = static_cast<std::uint32_t>(recordSize);
    out.IndexBlockSize = static_cast<std::uint32_t>(indexSize);
    out.SerialNumber = serial;
    return std::nullopt;
}

// ---- Update sequence ---------------------------------------------------------------

Refusal ApplyFixups(std::span<std::uint8_t> record, std::u16string_view magic)
{
    ByteReader r(record);
    const auto head = r.bytes(4);
    if (!r.ok() || !std::equal(head.begin(), head.end(), magic.begin(), magic.end(),
                               [](std::uint8_t b, char16_t c) { return b == c; }))
        return Text("no ") + std::u16string(magic) + Text(" signature");
    const std::size_t offset = r.u16le();
    const std::size_t count = r.u16le();
    if (!r.ok() || record.size() % kUpdateSequenceStride != 0) return Refuse("the record is cut short");
    const std::size_t strides = record.size() / kUpdateSequenceStride;
    if (count != strides + 1) return Refuse("the update sequence does not match the record size");
    if (offset % 2 != 0 || offset < 8) return Refuse("the update sequence array lies outside the record header");
    ByteReader array(record);
    const auto usa = array.sub(offset, 2 * count);
    if (!array.ok()) return Refuse("the update sequence array lies outside the record");
    // The array must lie in the first stride, which it repairs itself otherwise.
    if (offset + 2 * count > kUpdateSequenceStride - 2) return Refuse("the update sequence array overlaps its own check bytes");
    const std::uint8_t lo = usa[0], hi = usa[1];
    for (std::size_t i = 0; i < strides; ++i) {
        const std::size_t end = (i + 1) * kUpdateSequenceStride - 2;
        if (record[end] != lo || record[end + 1] != hi) return Refuse("the update sequence does not match (a torn write)");
    }
    for (std::size_t i = 0; i < strides; ++i) {
        const std::size_t end = (i + 1) * kUpdateSequenceStride - 2;
        record[end] = usa[2 + 2 * i];
        record[end + 1] = usa[3 + 2 * i];
    }
    return std::nullopt;
}

// ---- MFT records -------------------------------------------------------------------

namespace {

Refusal DecodeAttribute(std::span<const std::uint8_t> bytes, Attribute& a)
{
    ByteReader r(bytes);
    a.Type = r.u32le();
    r.skip(4);  // length: the caller has cut `bytes` to it
    a.Resident = r.u8() == 0;
    const std::size_t nameLength = r.u8();
    const std::size_t nameOffset = r.u16le();
    a.Flags = r.u16le();
    a.Id = r.u16le();
    if (!r.ok()) return Refuse("an attribute header is cut short");
    if (nameLength != 0) {
        const auto name = r.sub(nameOffset, 2 * nameLength);
        if (!r.ok()) return Refuse("an attribute name lies outside its attribute");
        a.Name = Utf16FromBytes(name);
    }
    if (a.Resident) {
        const std::size_t valueLength = r.u32le();
        const std::size_t valueOffset = r.u16le();
        if (!r.ok()) return Refuse("a resident attribute header is cut short");
        a.Value = r.sub(valueOffset, valueLength);
        if (!r.ok()) return Refuse("a resident attribute's value lies outside its attribute");
        return std::nullopt;
    }
    a.LowestVcn = r.u64le();
    a.HighestVcn = r.u64le();
    const std::size_t pairsOffset = r.u16le();
    r.seek(40);
    a.AllocatedSize = r.u64le();
    a.DataSize = r.u64le();
    a.InitializedSize = r.u64le();
    if (!r.ok()) return Refuse("a non-resident attribute header is cut short");
    if (pairsOffset < 64 || pairsOffset > bytes.size()) return Refuse("an attribute's mapping pairs lie outside it");
    a.Runlist = bytes.subspan(pairsOffset);
    if (a.HighestVcn < a.LowestVcn && !(a.HighestVcn == 0 && a.LowestVcn == 0) &&
        !(a.LowestVcn == 0 && a.HighestVcn == ~std::uint64_t{0}))
        return Refuse("an attribute's VCN range is reversed");
    if (a.DataSize > a.AllocatedSize && (a.Flags & 0x0001) == 0) return Refuse("an attribute is larger than its allocation");
    if (a.InitializedSize > a.DataSize) return Refuse("an attribute's initialized size exceeds its size");
    return std::nullopt;
}

}  // namespace

Refusal DecodeFileRecord(std::span<const std::uint8_t> record, FileRecord& out)
{
    ByteReader r(record);
    r.seek(16);
    out.Sequence = r.u16le();
    out.LinkCount = r.u16le();
    const std::size_t first = r.u16le();
    out.Flags = r.u16le();
    const std::size_t used = r.u32le();
    r.skip(4);
    out.BaseReference = r.u64le();
    if (!r.ok()) return Refuse("the record header is cut short");
    if (used > record.size()) return Refuse("the record says it uses more bytes than it has");
    if (first < 42 || first % 8 != 0 || first > used) return Refuse("the record's first attribute lies outside it");
    out.Attributes.clear();
    const auto body = record.first(used);
    std::size_t at = first;
    for (;;) {
        ByteReader a(body);
        a.seek(at);
        const std::uint32_t type = a.u32le();
        if (!a.ok()) return Refuse("the record ends without an end marker");
        if (type == kAttrEnd) return std::nullopt;
        const std::size_t length = a.u32le();
        if (!a.ok() || length < 24 || length % 8 != 0 || length > body.size() - at)
            return Refuse("an attribute's length runs outside the record");
        Attribute attribute;
        if (Refusal why = DecodeAttribute(body.subspan(at, length), attribute)) return why;
        out.Attributes.push_back(std::move(attribute));
        at += length;  // length >= 24, so the walk always moves on
    }
}

Refusal DecodeRunlist(std::span<const std::uint8_t> pairs, std::uint64_t firstVcn, std::uint64_t lastVcn,
                      std::uint64_t clusterCount, std::vector<Run>& out)
{
    out.clear();
    ByteReader r(pairs);
    std::uint64_t vcn = firstVcn;
    std::int64_t lcn = 0;
    const std::uint64_t end = lastVcn + 1;  // lastVcn < 2^63 (checked below), so no overflow
    if (lastVcn >= (std::uint64_t{1} << 62) || firstVcn > end) return Refuse("a run list's VCN range is impossible");
    for (;;) {
        const std::uint8_t header = r.u8();
        if (!r.ok()) return Refuse("a run list has no end marker");
        if (header == 0) break;
        const unsigned lengthWidth = header & 0x0F;
        const unsigned offsetWidth = header >> 4;
        if (lengthWidth == 0 || lengthWidth > 8 || offsetWidth > 8) return Refuse("a run list has an impossible field width");
        const std::uint64_t length = Unsigned(r, lengthWidth);
        std::uint64_t rawDelta = Unsigned(r, offsetWidth);
        if (!r.ok()) return Refuse("a run list is cut short");
        if (length == 0) return Refuse("a run list has a run of no clusters");
        if (length > end - vcn) return Refuse("a run list runs past its attribute's last VCN");
        Run run{vcn, 0, length, offsetWidth == 0};
        if (!run.Sparse) {
            // Sign-extend the delta from its width.
            if (offsetWidth < 8 && (rawDelta >> (8 * offsetWidth - 1)) & 1) rawDelta |= ~std::uint64_t{0} << (8 * offsetWidth);
            const auto delta = static_cast<std::int64_t>(rawDelta);
            if ((delta > 0 && lcn > INT64_MAX - delta) || (delta < 0 && lcn < INT64_MIN - delta))
                return Refuse("a run list's cluster numbers overflow");
            lcn += delta;
            if (lcn < 0 || static_cast<std::uint64_t>(lcn) >= clusterCount ||
                length > clusterCount - static_cast<std::uint64_t>(lcn))
                return Refuse("a run lies outside the volume");
            run.Lcn = static_cast<std::uint64_t>(lcn);
        }
        out.push_back(run);
        vcn += length;
    }
    if (vcn != end && !(out.empty() && firstVcn == end)) return Refuse("a run list ends before its attribute's last VCN");
    return std::nullopt;
}

Refusal DecodeAttributeList(std::span<const std::uint8_t> value, std::vector<AttributeListEntry>& out)
{
    out.clear();
    std::size_t at = 0;
    while (at < value.size()) {
        ByteReader r(value);
        r.seek(at);
        AttributeListEntry e;
        e.Type = r.u32le();
        const std::size_t length = r.u16le();
        const std::size_t nameLength = r.u8();
        const std::size_t nameOffset = r.u8();
        e.LowestVcn = r.u64le();
        e.Reference = r.u64le();
        e.Id = r.u16le();
        if (!r.ok()) return Refuse("an attribute list entry is cut short");
        if (length < 26 || length > value.size() - at) return Refuse("an attribute list entry's length runs outside the list");
        ByteReader entry(value.subspan(at, length));
        const auto name = entry.sub(nameOffset, 2 * nameLength);
        if (!entry.ok()) return Refuse("an attribute list entry's name lies outside it");
        e.Name = Utf16FromBytes(name);
        out.push_back(std::move(e));
        // Entries are 8-byte aligned; a length that is not still moves the walk on.
        at += length;
    }
    return std::nullopt;
}

Refusal DecodeFileName(std::span<const std::uint8_t> value, FileName& out)
{
    ByteReader r(value);
    out.ParentReference = r.u64le();
    r.seek(56);
    out.FileAttributes = r.u32le();
    r.skip(4);
    const std::size_t length = r.u8();
    out.NameSpace = r.u8();
    const auto name = r.bytes(2 * length);
    if (!r.ok()) return Refuse("a file name is cut short");
    if (length == 0) return Refuse("a file name is empty");
    if (out.NameSpace > kNameWin32AndDos) return Refuse("a file name has an unknown name space");
    out.Name = Utf16FromBytes(name);
    return std::nullopt;
}

Refusal DecodeStandardInformation(std::span<const std::uint8_t> value, StandardInformation& out)
{
    ByteReader r(value);
    out.CreationTime = r.u64le();
    out.ModificationTime = r.u64le();
    out.MftChangeTime = r.u64le();
    out.AccessTime = r.u64le();
    out.FileAttributes = r.u32le();
    if (!r.ok() || value.size() < 48) return Refuse("the standard information is cut short");
    return std::nullopt;
}

// ---- Indexes -----------------------------------------------------------------------

Refusal DecodeIndexNode(std::span<const std::uint8_t> node, std::vector<IndexEntry>& out)
{
    out.clear();
    ByteReader r(node);
    const std::size_t first = r.u32le();
    const std::size_t size = r.u32le();
    if (!r.ok()) return Refuse("an index node header is cut short");
    if (size > node.size() || first < 16 || first > size) return Refuse("an index node's entries lie outside it");
    const auto entries = node.first(size);
    std::size_t at = first;
    for (;;) {
        ByteReader e(entries);
        e.seek(at);
        IndexEntry entry;
        entry.Reference = e.u64le();
        const std::size_t length = e.u16le();
        const std::size_t keyLength = e.u16le();
        const std::uint16_t flags = e.u16le();
        if (!e.ok()) return Refuse("an index node ends without its last entry");
        if (length < 16 || length % 8 != 0 || length > entries.size() - at)
            return Refuse("an index entry's length runs outside its node");
        const auto bytes = entries.subspan(at, length);
        ByteReader k(bytes);
        entry.Last = (flags & 0x2) != 0;
        if ((flags & 0x1) != 0) {
            if (length < 24) return Refuse("an index entry has no room for its sub-node");
            k.seek(length - 8);
            entry.SubnodeVcn = k.u64le();
        }
        const std::size_t keyRoom = length - 16 - (entry.SubnodeVcn ? 8 : 0);
        if (!entry.Last) {
            if (keyLength == 0 || keyLength > keyRoom) return Refuse("an index entry's key lies outside it");
            entry.Key = bytes.subspan(16, keyLength);
            // View indexes: data offset and length in the first 4 bytes, relative to the entry.
            ByteReader d(bytes);
            const std::size_t dataOffset = d.u16le();
            const std::size_t dataLength = d.u16le();
            if (dataLength != 0) {
                entry.Data = d.sub(dataOffset, dataLength);
                if (!d.ok()) entry.Data = {};
            }
        }
        out.push_back(entry);
        if (entry.Last) return std::nullopt;
        at += length;
    }
}

Refusal DecodeIndexRoot(std::span<const std::uint8_t> value, IndexRoot& out)
{
    ByteReader r(value);
    out.IndexedType = r.u32le();
    out.Collation = r.u32le();
    out.BlockSize = r.u32le();
    if (!r.ok() || value.size() < 32) return Refuse("an index root is cut short");
    out.Node = value.subspan(16);
    return std::nullopt;
}

Refusal DecodeIndexBlock(std::span<const std::uint8_t> block, std::uint64_t vcn, std::span<const std::uint8_t>& node)
{
    ByteReader r(block);
    r.seek(16);
    const std::uint64_t own = r.u64le();
    if (!r.ok() || block.size() < 40) return Refuse("an index block is cut short");
    if (own != vcn) return Refuse("an index block is not at the place its parent names");
    node = block.subspan(24);
    return std::nullopt;
}

Refusal DecodeReparseKey(std::span<const std::uint8_t> key, ReparseKey& out)
{
    ByteReader r(key);
    out.Tag = r.u32le();
    out.Reference = r.u64le();
    if (!r.ok()) return Refuse("a reparse index key is cut short");
    return std::nullopt;
}

// ---- $UpCase -----------------------------------------------------------------------

UpCase::UpCase(std::span<const std::uint8_t> table)
    : table_(std::make_unique<char16_t[]>(std::min<std::size_t>(table.size() / 2, 65536))),
      size_(std::min<std::size_t>(table.size() / 2, 65536))
{
    for (std::size_t i = 0; i < size_; ++i) table_[i] = static_cast<char16_t>(table[2 * i] | table[2 * i + 1] << 8);
}

int UpCase::Compare(std::u16string_view a, std::u16string_view b) const
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t x = (*this)(a[i]), y = (*this)(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

std::u16string Utf16FromBytes(std::span<const std::uint8_t> bytes)
{
    std::u16string s(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < s.size(); ++i) s[i] = static_cast<char16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    return s;
}

}  // namespace ntfs
