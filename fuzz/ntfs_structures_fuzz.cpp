// libFuzzer targets over the NTFS decoders, one structure each, chosen at build time by
// NTFS_FUZZ_STRUCTURE: 1 boot sector and partition tables, 2 MFT record, 3 run list, 4 index block.
#include <cstdint>
#include <span>
#include <vector>

#include "FuzzCheck.h"
#include "filelib/ntfs/NtfsFormat.h"

using namespace ntfs;

namespace {

struct InputDisk : SectorSource {
    std::span<const std::uint8_t> bytes;
    std::vector<std::uint8_t> Read(std::uint64_t offset, std::size_t count) const override
    {
        if (offset >= bytes.size()) return {};
        const auto from = bytes.begin() + static_cast<std::ptrdiff_t>(offset);
        return {from, from + static_cast<std::ptrdiff_t>(std::min<std::size_t>(count, bytes.size() - offset))};
    }
};

void Values(const FileRecord& record)
{
    for (const Attribute& a : record.Attributes) {
        std::vector<Run> runs;
        FileName name;
        StandardInformation info;
        std::vector<AttributeListEntry> list;
        IndexRoot root;
        std::vector<IndexEntry> entries;
        if (!a.Resident) (void)DecodeRunlist(a.Runlist, a.LowestVcn, a.HighestVcn, 1u << 20, runs);
        (void)(DecodeFileName(a.Value, name), DecodeStandardInformation(a.Value, info), DecodeAttributeList(a.Value, list));
        if (!DecodeIndexRoot(a.Value, root)) (void)DecodeIndexNode(root.Node, entries);
    }
}

std::vector<std::uint8_t> Sectors(std::span<const std::uint8_t> data)
{
    std::vector<std::uint8_t> out(data.begin(), data.end());
    out.resize(out.size() / kUpdateSequenceStride * kUpdateSequenceStride);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    const std::span<const std::uint8_t> data(bytes, size);
    if (NTFS_FUZZ_STRUCTURE == 1) {
        BootSector boot;
        (void)DecodeBootSector(data, boot);
        InputDisk disk;
        disk.bytes = data;
        for (const PartitionEntry& e : DecodePartitionTable(disk, std::uint64_t{1} << 40).Entries)
            Check(e.Length > 0 && e.FirstByte + e.Length <= std::uint64_t{1} << 40, "a partition outside the disk");
    } else if (NTFS_FUZZ_STRUCTURE == 2) {
        std::vector<std::uint8_t> record = Sectors(data);
        // Decoders must hold on bytes whose update sequence was never applied too.
        if (ApplyFixups(record, u"FILE")) record.assign(data.begin(), data.end());
        FileRecord decoded;
        if (!DecodeFileRecord(record, decoded)) Values(decoded);
    } else if (NTFS_FUZZ_STRUCTURE == 3 && size >= 4) {
        const std::uint64_t first = data[0] | data[1] << 8, last = first + (data[2] | data[3] << 8);
        std::vector<Run> runs;
        if (DecodeRunlist(data.subspan(4), first, last, 1u << 16, runs)) return 0;
        std::uint64_t vcn = first;
        for (const Run& r : runs) {
            Check(r.Vcn == vcn && r.Length > 0 && (r.Sparse || r.Lcn + r.Length <= 1u << 16), "a gap or a run outside the volume");
            vcn += r.Length;
        }
        Check(runs.empty() || vcn == last + 1, "runs that do not end at the last VCN");
    } else if (NTFS_FUZZ_STRUCTURE == 4) {
        std::vector<std::uint8_t> block = Sectors(data);
        std::span<const std::uint8_t> node = data;
        if (!ApplyFixups(block, u"INDX")) {
            std::uint64_t vcn = 0;
            for (int i = 7; i >= 0; --i) vcn = vcn << 8 | block[16 + static_cast<std::size_t>(i)];
            if (DecodeIndexBlock(block, vcn, node)) return 0;
        }
        std::vector<IndexEntry> entries;
        if (DecodeIndexNode(node, entries)) return 0;
        FileName name;
        ReparseKey key;
        for (const IndexEntry& e : entries) (void)(DecodeFileName(e.Key, name), DecodeReparseKey(e.Key, key));
    }
    return 0;
}
