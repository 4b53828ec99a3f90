// libFuzzer targets over the NTFS decoders, one structure each, chosen at build time by
// NTFS_FUZZ_STRUCTURE: 1 the boot sector and partition tables, 2 an MFT record with its
// update sequence and its attributes' values, 3 an attribute's run list, 4 an index block.
#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <vector>

#include "FuzzCheck.h"
#include "filelib/ntfs/NtfsFormat.h"

using namespace ntfs;

namespace {

template <typename T>
bool Inside(std::span<const T> part, std::span<const std::uint8_t> whole)
{
    return part.empty() || (reinterpret_cast<const std::uint8_t*>(part.data()) >= whole.data() &&
                            reinterpret_cast<const std::uint8_t*>(part.data() + part.size()) <= whole.data() + whole.size());
}

bool PowerOfTwo(std::uint64_t v)
{
    return v != 0 && (v & (v - 1)) == 0;
}

// The input as the first sectors of a disk whose size its first bytes choose.
struct InputDisk : SectorSource {
    std::span<const std::uint8_t> bytes;
    std::vector<std::uint8_t> Read(std::uint64_t offset, std::size_t count) const override
    {
        if (offset >= bytes.size()) return {};
        const std::size_t n = std::min<std::size_t>(count, bytes.size() - static_cast<std::size_t>(offset));
        return {bytes.begin() + static_cast<std::ptrdiff_t>(offset), bytes.begin() + static_cast<std::ptrdiff_t>(offset + n)};
    }
};

void FuzzBoot(std::span<const std::uint8_t> data)
{
    BootSector boot;
    if (!DecodeBootSector(data, boot)) {
        Check(PowerOfTwo(boot.ClusterSize) && boot.ClusterSize <= 2 * 1024 * 1024, "an impossible cluster size passed");
        Check(PowerOfTwo(boot.RecordSize) && boot.RecordSize >= 256 && boot.RecordSize <= 65536, "an impossible record size passed");
        Check(PowerOfTwo(boot.IndexBlockSize) && boot.IndexBlockSize <= 65536, "an impossible index block size passed");
    }
    InputDisk disk;
    disk.bytes = data;
    for (const std::uint64_t size : {std::uint64_t{data.size()}, std::uint64_t{1} << 40}) {
        const PartitionTable table = DecodePartitionTable(disk, size);
        Check(table.Entries.size() <= 1024 + 4 + 128, "more partitions than any table can hold");
        for (const PartitionEntry& e : table.Entries)
            Check(e.Length > 0 && e.FirstByte <= size && e.Length <= size - e.FirstByte, "a partition outside the disk");
    }
}

void CheckValues(const FileRecord& record, std::span<const std::uint8_t> bytes)
{
    for (const Attribute& a : record.Attributes) {
        Check(Inside(a.Value, bytes) && Inside(a.Runlist, bytes), "an attribute's bytes lie outside the record");
        if (!a.Resident) {
            std::vector<Run> runs;
            if (!DecodeRunlist(a.Runlist, a.LowestVcn, a.HighestVcn, 1u << 20, runs))
                for (const Run& r : runs) Check(r.Sparse || r.Lcn + r.Length <= (1u << 20), "a run outside the volume");
            continue;
        }
        FileName name;
        if (!DecodeFileName(a.Value, name)) Check(name.Name.size() * 2 + 66 <= a.Value.size(), "a name longer than its value");
        StandardInformation info;
        (void)DecodeStandardInformation(a.Value, info);
        std::vector<AttributeListEntry> list;
        if (!DecodeAttributeList(a.Value, list)) Check(list.size() * 26 <= a.Value.size(), "more list entries than room");
        IndexRoot root;
        std::vector<IndexEntry> entries;
        if (!DecodeIndexRoot(a.Value, root) && !DecodeIndexNode(root.Node, entries))
            for (const IndexEntry& e : entries) Check(Inside(e.Key, a.Value), "an index key outside its root");
    }
}

void FuzzRecord(std::span<const std::uint8_t> data)
{
    std::vector<std::uint8_t> record(data.begin(), data.end());
    record.resize(record.size() / kUpdateSequenceStride * kUpdateSequenceStride);
    if (ApplyFixups(record, u"FILE")) {
        // Decoders must hold on bytes whose update sequence was never applied too.
        record.assign(data.begin(), data.end());
    }
    FileRecord decoded;
    if (!DecodeFileRecord(record, decoded)) CheckValues(decoded, record);
}

void FuzzRunlist(std::span<const std::uint8_t> data)
{
    if (data.size() < 4) return;
    const std::uint64_t first = data[0] | data[1] << 8;
    const std::uint64_t last = first + (data[2] | data[3] << 8);
    const std::uint64_t clusters = 1u << 16;
    std::vector<Run> runs;
    if (DecodeRunlist(data.subspan(4), first, last, clusters, runs)) return;
    std::uint64_t vcn = first;
    for (const Run& r : runs) {
        Check(r.Vcn == vcn && r.Length > 0, "runs that leave a gap");
        Check(r.Sparse || (r.Lcn < clusters && r.Length <= clusters - r.Lcn), "a run outside the volume");
        vcn += r.Length;
    }
    Check(runs.empty() || vcn == last + 1, "runs that do not end at the last VCN");
}

void FuzzIndex(std::span<const std::uint8_t> data)
{
    std::vector<std::uint8_t> block(data.begin(), data.end());
    block.resize(block.size() / kUpdateSequenceStride * kUpdateSequenceStride);
    std::span<const std::uint8_t> node = data;
    if (!ApplyFixups(block, u"INDX")) {
        std::uint64_t vcn = 0;
        for (int i = 7; i >= 0; --i) vcn = vcn << 8 | block[16 + static_cast<std::size_t>(i)];
        if (DecodeIndexBlock(block, vcn, node)) return;
    }
    std::vector<IndexEntry> entries;
    if (DecodeIndexNode(node, entries)) return;
    Check(!entries.empty() && entries.back().Last, "a node that does not end with its last entry");
    for (const IndexEntry& e : entries) {
        Check(Inside(e.Key, node) && Inside(e.Data, node), "an index entry's key outside its node");
        FileName name;
        (void)DecodeFileName(e.Key, name);
        ReparseKey key;
        (void)DecodeReparseKey(e.Key, key);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    const std::span<const std::uint8_t> data(bytes, size);
    switch (NTFS_FUZZ_STRUCTURE) {
    case 1: FuzzBoot(data); break;
    case 2: FuzzRecord(data); break;
    case 3: FuzzRunlist(data); break;
    case 4: FuzzIndex(data); break;
    }
    return 0;
}
