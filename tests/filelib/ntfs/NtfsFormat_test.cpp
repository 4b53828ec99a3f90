// The NTFS structure decoders on bytes built in the test: good samples, each malformed
// shape by name, and every prefix of the good ones.
#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "filelib/ntfs/NtfsFormat.h"
#include "tests/filelib/ntfs/NtfsSamples.h"

using namespace ntfs;
using namespace ntfssample;

namespace {

// One field of a good structure overwritten: `width` bytes of `value` at `at`.
struct Patch {
    const char* name;
    std::size_t at;
    std::uint64_t value;
    int width;
};

// Each row spoils one field of `good`; `decode` (true: refused) must refuse each, and
// every prefix of `good` but `except`.
template <class Decode>
void ExpectRefused(const Bytes& good, std::initializer_list<Patch> rows, Decode decode, std::size_t except = SIZE_MAX)
{
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Bytes bad = good;
        PutLE(bad, row.at, row.value, row.width);
        EXPECT_TRUE(decode(bad));
    }
    for (std::size_t n = 0; n < good.size(); ++n)
        if (n != except) EXPECT_TRUE(decode(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n)))) << n;
}

TEST(NtfsBootSector, GeometryFromEveryEncoding)
{
    // 4 KiB and 512-byte clusters, 4 KiB sectors: volumes mkntfs makes (tests/ntfs). Here 2 MiB
    // clusters (0xF4 with 512-byte sectors), records of 2^10, index blocks of 2^12 bytes.
    BootSector boot;
    ASSERT_FALSE(DecodeBootSector(BootSectorBytes(0xF4, 0xF6, 0xF4, 512), boot));
    EXPECT_EQ(std::tuple(boot.BytesPerSector, boot.ClusterSize, boot.RecordSize, boot.IndexBlockSize, boot.MftCluster),
              std::tuple(512u, 2u * 1024 * 1024, 1024u, 4096u, 4u));
    ExpectRefused(BootSectorBytes(),
                  {
                      {"no NTFS name", 3, 'X', 1},
                      {"no signature", 510, 0, 2},
                      {"sector size 0", 11, 0, 2},
                      {"sector size not a power of two", 11, 3000, 2},
                      {"sector size 8 KiB", 11, 8192, 2},
                      {"3 sectors per cluster", 13, 3, 1},
                      {"4 MiB clusters (0xF3)", 13, 0xF3, 1},
                      {"record of 3 clusters (12 KiB)", 64, 3, 1},
                      {"record of 128 bytes (-7)", 64, 0xF9, 1},
                      {"index block of 128 KiB (-17)", 68, 0xEF, 1},
                      {"no sectors", 40, 0, 8},
                  },
                  [](const Bytes& b) {
                      BootSector boot;
                      return DecodeBootSector(b, boot).has_value();
                  });
}

Bytes SampleRecord()
{
    return FileRecordBytes({ResidentAttribute(kAttrFileName, FileNameValue(u"файл.txt", 0x0001000000000005ull)),
                       NonResidentAttribute(kAttrData, {0x21, 0x04, 0x00, 0x10, 0x00}, 3, 16000),
                       ResidentAttribute(kAttrReparsePoint, Bytes{0x0C, 0, 0, 0xA0, 0, 0, 0, 0})});
}

TEST(NtfsFixups, RestoresEveryStrideAndRefusesATornOne)
{
    const Bytes original = SampleRecord();
    Bytes fixed = original;
    ASSERT_FALSE(ApplyFixups(fixed, u"FILE"));
    // The saved bytes are back at the end of each stride; nothing else changed.
    for (std::size_t i = 0; i < original.size(); ++i) {
        const bool checkBytes = i == 510 || i == 511 || i == 1022 || i == 1023;
        EXPECT_EQ(fixed[i], checkBytes ? 0 : original[i]) << i;
    }
    // Every prefix too: not a whole number of strides, or fewer strides than the count.
    ExpectRefused(original,
                  {{"torn first stride", 510, 0x0909, 2}, {"torn second stride", 1022, 0x0909, 2},
                   {"another signature", 0, 'B', 1}, {"count one short", 6, 2, 2},
                   {"count one too many", 6, 4, 2}, {"array past the record", 4, 1020, 2},
                   {"array on its own check bytes", 4, 506, 2}, {"array at an odd offset", 4, 49, 2}},
                  [](Bytes b) { return ApplyFixups(b, u"FILE").has_value(); });
}

TEST(NtfsFileRecord, MalformedRecords)
{
    Bytes good = SampleRecord();
    ASSERT_FALSE(ApplyFixups(good, u"FILE"));
    FileRecord r;
    // The fields of good records (flags, sequence, names, sizes, runs) are read from real
    // volumes by the image oracle (tests/ntfs); here the sample must decode for its
    // spoilt copies to mean anything.
    ASSERT_FALSE(DecodeFileRecord(good, r));
    ASSERT_EQ(r.Attributes.size(), 3u);

    for (const Patch& row : {Patch{"bytes in use past the record", 24, 1025, 4},
                             {"first attribute inside the header", 20, 16, 2},
                             {"first attribute not aligned", 20, 57, 2},
                             {"attribute of length 0 (would never move on)", 56 + 4, 0, 4},
                             {"attribute longer than the record", 56 + 4, 4096, 4},
                             {"resident value past its attribute", 56 + 16, 200, 4},
                             {"attribute name past its attribute", 56 + 9, 0x6028, 3},
                             {"no end marker: bytes in use end early", 24, 100, 4}}) {
        SCOPED_TRACE(row.name);
        Bytes bad = good;
        PutLE(bad, row.at, row.value, row.width);
        EXPECT_TRUE(DecodeFileRecord(bad, r));
    }
}

TEST(NtfsRunlist, RunsAndTheirBounds)
{
    struct Row {
        const char* name;
        Bytes pairs;
        std::uint64_t last;
        bool ok;
        std::vector<ntfs::Run> runs;
    } rows[] = {
        // (Runs that go backwards: an MFT in many runs, in tests/ntfs's 512-byte-cluster mode.)
        {"a sparse run between", {0x11, 0x01, 0x40, 0x01, 0x02, 0x11, 0x01, 0x02, 0x00}, 3, true,
         {{0, 0x40, 1, false}, {1, 0, 2, true}, {3, 0x42, 1, false}}},
        {"a run of no clusters", {0x11, 0x00, 0x40, 0x00}, 0, false, {}},
        {"a length 9 bytes wide", {0x19, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0x40, 0x00}, 0, false, {}},
        {"past the last VCN", {0x11, 0x05, 0x40, 0x00}, 3, false, {}},
        {"ends before the last VCN", {0x11, 0x02, 0x40, 0x00}, 3, false, {}},
        {"no end marker", {0x11, 0x04, 0x40}, 3, false, {}},
        {"before cluster 0", {0x11, 0x04, 0x80, 0x00}, 3, false, {}},
        {"its end one past the volume", {0x31, 0x04, 0xFD, 0xFF, 0x00, 0x00}, 3, false, {}},
        {"its end at the volume's end", {0x31, 0x04, 0xFC, 0xFF, 0x00, 0x00}, 3, true, {{0, 0xFFFC, 4, false}}},
        {"a delta that overflows", {0x81, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x81, 0x01, 0xFF, 0xFF, 0xFF,
                                    0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x00},
         1, false, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<ntfs::Run> runs;
        ASSERT_EQ(!DecodeRunlist(row.pairs, 0, row.last, 0x10000, runs), row.ok);
        if (!row.ok) continue;
        ASSERT_EQ(runs.size(), row.runs.size());
        for (std::size_t i = 0; i < runs.size(); ++i)
            EXPECT_EQ(std::tuple(runs[i].Vcn, runs[i].Lcn, runs[i].Length, runs[i].Sparse),
                      std::tuple(row.runs[i].Vcn, row.runs[i].Lcn, row.runs[i].Length, row.runs[i].Sparse));
    }
}

Bytes ListEntry(std::uint64_t reference)
{
    Bytes e(32, 0);
    PutLE(e, 0, kAttrFileName, 4);
    PutLE(e, 4, 32, 2);
    PutLE(e, 16, reference, 8);
    return e;
}

TEST(NtfsAttributeList, EntriesAndTheirBounds)
{
    Bytes list = ListEntry(5);
    const Bytes second = ListEntry(77);
    list.insert(list.end(), second.begin(), second.end());
    std::vector<AttributeListEntry> entries;
    ASSERT_FALSE(DecodeAttributeList(list, entries));
    ASSERT_EQ(entries.size(), 2u);  // their references: the $MFT's list in tests/ntfs's fragmented mode
    ExpectRefused(list,
                  {
                      {"an entry of length 0 (would never move on)", 4, 0, 2},
                      {"an entry shorter than its fields", 4, 24, 2},
                      {"an entry past the list", 36, 40, 2},
                      {"a name past its entry", 6, 0x1E0A, 2},
                  },
                  [&](const Bytes& b) { return b.empty() || DecodeAttributeList(b, entries).has_value(); }, 32);
}

TEST(NtfsFileName, NamesAndTheirBounds)
{
    const Bytes good = FileNameValue(u"x.txt", 5, kNameWin32AndDos);
    FileName name;
    ASSERT_FALSE(DecodeFileName(good, name));  // names and name spaces of real volumes: tests/ntfs
    ExpectRefused(good, {{"no such name space", 65, 4, 1}, {"empty name", 64, 0, 1}},
                  [&](const Bytes& b) { return DecodeFileName(b, name).has_value(); });
}

Bytes SampleNode()
{
    return IndexNode({FileNameEntry(u"alpha", 64), FileNameEntry(u"beta", 65, 2), LastEntry(7)});
}

TEST(NtfsIndexNode, MalformedNodes)
{
    const Bytes node = SampleNode();
    std::vector<IndexEntry> entries;
    ASSERT_FALSE(DecodeIndexNode(node, entries));
    // Keys, references and sub-nodes of good nodes: big folders of real volumes (tests/ntfs).
    ASSERT_EQ(entries.size(), 3u);
    ExpectRefused(node,
                  {
                      {"entries before the header's end", 0, 8, 4},
                      {"entries past the node", 4, 4096, 4},
                      {"an entry of length 0 (would never move on)", 16 + 8, 0, 2},
                      {"an entry past the node", 16 + 8, 2048, 2},
                      {"a key past its entry", 16 + 10, 200, 2},
                      {"no last entry", 4, 16 + 96, 4},
                  },
                  [&](const Bytes& b) { return DecodeIndexNode(b, entries).has_value(); });
}

// Good blocks, with their update sequences, are read from real volumes' big folders by the
// image oracle (tests/ntfs).
TEST(NtfsIndexBlock, ABlockIsWhereItsParentSaysAndNoRecord)
{
    Bytes block(4096, 0);
    PutLE(block, 16, 2, 8);  // its own VCN
    std::span<const std::uint8_t> node;
    EXPECT_FALSE(DecodeIndexBlock(block, 2, node));
    EXPECT_TRUE(DecodeIndexBlock(block, 3, node)) << "a block that is not where its parent says";
    Bytes record = SampleRecord();
    EXPECT_TRUE(ApplyFixups(record, u"INDX")) << "an MFT record is no index block";
}

TEST(NtfsUpCase, OrdersAsAFileNameIndex)
{
    Bytes table(2 * 65536);
    for (std::size_t c = 0; c < 65536; ++c) PutLE(table, 2 * c, c, 2);
    for (char16_t c = u'a'; c <= u'z'; ++c) PutLE(table, 2 * c, c - 32, 2);
    PutLE(table, 2 * 0x0451, 0x0401, 2);  // ё -> Ё
    const UpCase upcase(table);
    EXPECT_EQ(upcase.Compare(u"ёлка", u"Ёлка"), 0);
    EXPECT_LT(upcase.Compare(u"abc", u"abcd"), 0) << "the shorter first";
    EXPECT_GT(upcase.Compare(u"_", u"a"), 0) << "'_' (0x5F) sorts after 'a', compared as 'A' (0x41)";
}

// Sectors of a disk held in memory.
struct MemoryDisk : SectorSource {
    std::map<std::uint64_t, Bytes> sectors;
    std::vector<std::uint8_t> Read(std::uint64_t offset, std::size_t count) const override
    {
        Bytes out(count, 0);
        for (std::size_t i = 0; i < count; i += 512)
            if (auto it = sectors.find((offset + i) / 512); it != sectors.end())
                std::copy(it->second.begin(), it->second.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(512, count - i)),
                          out.begin() + static_cast<std::ptrdiff_t>(i));
        return out;
    }
};

TEST(NtfsPartitions, DamagedTablesEndInsteadOfLooping)
{
    MemoryDisk disk;
    disk.sectors[0] = MbrSector({{0x05, 100, 100000}, {0x07, 50, 10}});
    // The logical chain's second EBR points at itself.
    disk.sectors[100] = MbrSector({{0x07, 10, 10}, {0x05, 1, 10}});
    disk.sectors[101] = MbrSector({{0x07, 10, 10}, {0x05, 1, 10}});
    EXPECT_LE(DecodePartitionTable(disk, 512ull * 300000).Entries.size(), 4u);

    MemoryDisk small;
    small.sectors[0] = MbrSector({{0x07, 2048, 1000000}});
    EXPECT_TRUE(DecodePartitionTable(small, 512ull * 4096).Entries.empty()) << "an entry past the end of the disk";

    // A GPT whose entry array is absurdly large (16 TiB) is no table, and is not read.
    MemoryDisk gpt;
    gpt.sectors[0] = MbrSector({{0xEE, 1, 0xFFFFFFFF}});
    Bytes header(512, 0);
    for (int i = 0; i < 8; ++i) header[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>("EFI PART"[i]);
    PutLE(header, 72, 2, 8);
    PutLE(header, 80, 0xFFFFFFFF, 4);
    PutLE(header, 84, 4096, 4);
    gpt.sectors[1] = header;
    EXPECT_TRUE(DecodePartitionTable(gpt, 512ull * 300000).Entries.empty());
}

}  // namespace
