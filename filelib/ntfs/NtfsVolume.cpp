// The read-only NTFS volume reader: records, attributes, streams, indexes and paths.
#include "filelib/ntfs/NtfsVolume.h"

#include <algorithm>
#include <bit>
#include <set>

#include "common/Utf16.h"
#include "platform/Files.h"
#include "platform/NamedStreams.h"

namespace ntfs {

namespace {

std::u16string T(const char* ascii)
{
    return FromUtf8(ascii);
}

std::u16string Number(std::uint64_t n)
{
    return T(std::to_string(n).c_str());
}

[[noreturn]] void Fail(std::u16string text)
{
    throw Damaged(std::move(text));
}

// The first records, which $MFTMirr copies.
constexpr std::uint64_t kMirroredRecords = 4;
// Bounds that a damaged volume cannot push a reader past.
constexpr std::size_t kAttributeListLimit = 4 * 1024 * 1024;
constexpr std::size_t kUpCaseLimit = 1024 * 1024;
constexpr std::size_t kMaxExtensionRecords = 4096;
constexpr int kMaxIndexDepth = 64;
constexpr std::size_t kMaxPathDepth = 4096;

// Sectors of the image for the partition-table decoder.
class ImageSectors : public SectorSource {
public:
    explicit ImageSectors(const platform::ImageFile& image) : image_(image) {}
    std::vector<std::uint8_t> Read(std::uint64_t offset, std::size_t count) const override
    {
        if (offset > image_.size()) return {};
        count = static_cast<std::size_t>(std::min<std::uint64_t>(count, image_.size() - offset));
        std::vector<std::uint8_t> bytes(count);
        std::size_t got = 0;
        if (platform::ReadImageAt(image_, offset, bytes.data(), count, got)) got = 0;
        bytes.resize(got);
        return bytes;
    }

private:
    const platform::ImageFile& image_;
};

bool HoldsNtfs(const ImageSectors& disk, std::uint64_t offset)
{
    return LooksLikeNtfsBootSector(disk.Read(offset, 512));
}

}  // namespace

Damaged::Damaged(std::u16string what) : std::runtime_error(ToUtf8(what)), text_(std::move(what)) {}

std::optional<Placement> PlaceVolume(const platform::ImageFile& image, std::int32_t partition, PlacementError& error)
{
    constexpr std::int32_t kInvalidFormat = 321;
    constexpr std::int32_t kSubscriptOutOfRange = 9;
    const ImageSectors disk(image);
    if (partition < 0) {
        error = {5, T("the partition number must be 1 or more")};
        return std::nullopt;
    }
    const bool bare = HoldsNtfs(disk, 0);
    if (bare && partition == 0) return Placement{0, image.size(), 0};
    const PartitionTable table = bare ? PartitionTable{} : DecodePartitionTable(disk, image.size());
    if (table.Kind == TableKind::None) {
        if (bare) error = {kSubscriptOutOfRange, T("the image is a volume without a partition table, so it has no partition ") + Number(static_cast<std::uint64_t>(partition))};
        else if (partition > 0) error = {kSubscriptOutOfRange, T("the image has no partition table (MBR or GPT), so it has no partition ") + Number(static_cast<std::uint64_t>(partition))};
        else error = {kInvalidFormat, T("the image holds no NTFS volume and no partition table")};
        return std::nullopt;
    }
    const std::u16string kind = table.Kind == TableKind::Gpt ? T("GPT") : T("MBR");
    if (partition > 0) {
        if (static_cast<std::size_t>(partition) > table.Entries.size()) {
            error = {kSubscriptOutOfRange, T("the disk's ") + kind + T(" partition table has ") + Number(table.Entries.size()) +
                                               T(" partitions, so there is no partition ") + Number(static_cast<std::uint64_t>(partition))};
            return std::nullopt;
        }
        const PartitionEntry& e = table.Entries[static_cast<std::size_t>(partition) - 1];
        if (!HoldsNtfs(disk, e.FirstByte)) {
            error = {kInvalidFormat, T("partition ") + Number(static_cast<std::uint64_t>(partition)) + T(" holds no NTFS volume")};
            return std::nullopt;
        }
        return Placement{e.FirstByte, e.Length, partition};
    }
    for (std::size_t i = 0; i < table.Entries.size(); ++i)
        if (HoldsNtfs(disk, table.Entries[i].FirstByte))
            return Placement{table.Entries[i].FirstByte, table.Entries[i].Length, static_cast<std::int32_t>(i + 1)};
    error = {kInvalidFormat, T("none of the ") + Number(table.Entries.size()) + T(" partitions of the disk's ") + kind +
                                 T(" partition table holds an NTFS volume")};
    return std::nullopt;
}

// ---- Files -------------------------------------------------------------------------

const Attribute* File::Find(std::uint32_t type, std::u16string_view name) const
{
    for (const Attribute& a : Attributes)
        if (a.Type == type && a.Name == name && (a.Resident || a.LowestVcn == 0)) return &a;
    return nullptr;
}

std::vector<FileName> File::Names() const
{
    std::vector<FileName> names;
    for (const Attribute& a : Attributes) {
        if (a.Type != kAttrFileName || !a.Resident) continue;
        FileName name;
        if (!DecodeFileName(a.Value, name)) names.push_back(std::move(name));
    }
    return names;
}

const FileName* PreferredName(const std::vector<FileName>& names, std::optional<std::uint64_t> folder)
{
    const FileName* dos = nullptr;
    for (const FileName& n : names) {
        if (folder && RecordOf(n.ParentReference) != *folder) continue;
        if (n.NameSpace != kNameDos) return &n;
        if (!dos) dos = &n;
    }
    return dos;
}

// ---- The volume --------------------------------------------------------------------

Volume::Volume(std::shared_ptr<const platform::ImageFile> image, Placement placement)
    : image_(std::move(image)), placement_(placement)
{
    std::vector<std::uint8_t> sector(512);
    ReadVolume(0, sector.data(), sector.size());
    if (Refusal why = DecodeBootSector(sector, boot_)) Fail(*why);
    const std::uint64_t bytes = std::min(boot_.TotalSectors, ~std::uint64_t{0} / boot_.BytesPerSector) * boot_.BytesPerSector;
    clusterCount_ = std::min(bytes, placement_.Length) / boot_.ClusterSize;
    if (boot_.MftCluster >= clusterCount_ || boot_.MftMirrorCluster >= clusterCount_)
        Fail(T("the boot sector places the MFT outside the volume"));

    // Record 0 describes the MFT itself: read it where the boot sector says, or from the
    // mirror, and follow its own run list from there.
    std::vector<std::uint8_t> record(boot_.RecordSize);
    Refusal why;
    FileRecord self;
    for (const std::uint64_t cluster : {boot_.MftCluster, boot_.MftMirrorCluster}) {
        ReadVolume(cluster * boot_.ClusterSize, record.data(), record.size());
        why = ApplyFixups(record, u"FILE");
        if (!why) why = DecodeFileRecord(record, self);
        if (!why && !self.InUse()) why = T("the record is not in use");
        if (!why) break;
    }
    if (why) Fail(T("the MFT's own record (0) is damaged in the MFT and in its mirror: ") + *why);
    File mft;
    mft.Number = 0;
    mft.Base = self;
    mft.Attributes = self.Attributes;
    mft_ = StreamOf(mft, kAttrData, {});
    // A record of 1 KiB takes up to 2 clusters and every record must be read whole.
    recordCount_ = mft_.DataSize / boot_.RecordSize;
    if (recordCount_ <= kExtendRecord) Fail(T("the MFT holds fewer records than the system files need"));
    // A fragmented MFT lists the rest of its own run list in extension records, which the
    // part already known reaches.
    if (self.Attributes.end() != std::find_if(self.Attributes.begin(), self.Attributes.end(),
                                              [](const Attribute& a) { return a.Type == kAttrAttributeList; })) {
        const File whole = Load(0);
        mft_ = StreamOf(whole, kAttrData, {});
        recordCount_ = mft_.DataSize / boot_.RecordSize;
    }

    try {
        const File upcase = Load(kUpCaseRecord);
        if (const Attribute* data = upcase.Find(kAttrData)) {
            if (data->Resident) {
                upcase_ = UpCase(data->Value);
            } else {
                // Read straight into the table: 128 KiB, read on every open of the image.
                const Stream stream = StreamOf(upcase, kAttrData, {});
                const std::size_t units = static_cast<std::size_t>(std::min<std::uint64_t>(stream.DataSize, kUpCaseLimit) / 2);
                auto table = std::make_unique_for_overwrite<char16_t[]>(units);
                ReadStream(stream, 0, reinterpret_cast<std::uint8_t*>(table.get()), 2 * units);
                if constexpr (std::endian::native != std::endian::little)
                    for (std::size_t i = 0; i < units; ++i) table[i] = static_cast<char16_t>(table[i] >> 8 | table[i] << 8);
                upcase_ = UpCase(std::move(table), units);
            }
        }
    } catch (const Damaged&) {
        // Without the volume's table, lookups still match names that differ in ASCII case.
    }
    if (upcase_(u'a') != u'A') {
        std::vector<std::uint8_t> ascii(2 * 128);
        for (std::size_t c = 0; c < 128; ++c) ascii[2 * c] = static_cast<std::uint8_t>(c >= 'a' && c <= 'z' ? c - 32 : c);
        upcase_ = UpCase(ascii);
    }
}

void Volume::ReadVolume(std::uint64_t offset, std::uint8_t* out, std::size_t count) const
{
    if (offset > placement_.Length || count > placement_.Length - offset)
        Fail(T("a read at byte ") + Number(offset) + T(" runs past the end of the volume"));
    std::size_t got = 0;
    if (const std::error_code ec = platform::ReadImageAt(*image_, placement_.Offset + offset, out, count, got))
        Fail(T("the image cannot be read at byte ") + Number(placement_.Offset + offset) + T(": ") + FromUtf8(ec.message()));
    if (got != count) Fail(T("the image ends at byte ") + Number(placement_.Offset + offset + got) + T(", inside the volume"));
}

std::vector<std::uint8_t> Volume::ReadRecord(std::uint64_t number) const
{
    if (number >= recordCount_) Fail(T("MFT record ") + Number(number) + T(" lies past the end of the MFT"));
    std::vector<std::uint8_t> record(boot_.RecordSize);
    ReadStream(mft_, number * boot_.RecordSize, record.data(), record.size());
    Refusal why = ApplyFixups(record, u"FILE");
    if (why && number < kMirroredRecords) {
        std::vector<std::uint8_t> copy(boot_.RecordSize);
        ReadVolume(boot_.MftMirrorCluster * boot_.ClusterSize + number * boot_.RecordSize, copy.data(), copy.size());
        if (!ApplyFixups(copy, u"FILE")) return copy;
    }
    if (why) Fail(T("MFT record ") + Number(number) + T(": ") + *why);
    return record;
}

void Volume::ReadRecords(std::uint64_t first, std::size_t count, std::vector<std::uint8_t>& bytes,
                         std::vector<Refusal>& refusals) const
{
    bytes.resize(count * boot_.RecordSize);
    ReadStream(mft_, first * boot_.RecordSize, bytes.data(), bytes.size());
    refusals.assign(count, std::nullopt);
    for (std::size_t i = 0; i < count; ++i)
        refusals[i] = ApplyFixups(std::span(bytes).subspan(i * boot_.RecordSize, boot_.RecordSize), u"FILE");
}

File Volume::Load(std::uint64_t number) const
{
    File file;
    file.Number = number;
    file.Records.push_back(ReadRecord(number));
    if (Refusal why = DecodeFileRecord(file.Records.front(), file.Base))
        Fail(T("MFT record ") + Number(number) + T(": ") + *why);
    if (!file.Base.InUse()) return file;
    if (file.Base.BaseReference != 0)
        Fail(T("MFT record ") + Number(number) + T(" is an extension of record ") + Number(RecordOf(file.Base.BaseReference)) +
             T(", not a file of its own"));
    file.Attributes = file.Base.Attributes;
    const auto list = std::find_if(file.Attributes.begin(), file.Attributes.end(),
                                   [](const Attribute& a) { return a.Type == kAttrAttributeList; });
    if (list == file.Attributes.end()) return file;

    // The attributes that do not fit the base record stand in extension records, which
    // the attribute list names; each is read once and must name this file as its base.
    std::vector<AttributeListEntry> entries;
    const std::vector<std::uint8_t> value = ReadValue(file, *list, kAttributeListLimit);
    if (Refusal why = DecodeAttributeList(value, entries))
        Fail(T("the attribute list of MFT record ") + Number(number) + T(": ") + *why);
    std::set<std::uint64_t> records;
    for (const AttributeListEntry& e : entries)
        if (RecordOf(e.Reference) != number) records.insert(RecordOf(e.Reference));
    if (records.size() > kMaxExtensionRecords)
        Fail(T("the attribute list of MFT record ") + Number(number) + T(" names too many records"));
    file.Attributes.erase(list);
    std::vector<Attribute> extra;
    for (const std::uint64_t r : records) {
        std::vector<std::uint8_t> bytes = ReadRecord(r);
        FileRecord extension;
        if (Refusal why = DecodeFileRecord(bytes, extension)) Fail(T("MFT record ") + Number(r) + T(": ") + *why);
        if (!extension.InUse() || RecordOf(extension.BaseReference) != number)
            Fail(T("MFT record ") + Number(r) + T(", which the attribute list of record ") + Number(number) +
                 T(" names, belongs to no such file"));
        for (const Attribute& a : extension.Attributes)
            if (a.Type != kAttrAttributeList) extra.push_back(a);
        file.Records.push_back(std::move(bytes));  // the spans stay valid: the vector's buffer moves
    }
    file.Attributes.insert(file.Attributes.end(), extra.begin(), extra.end());
    return file;
}

Stream Volume::StreamOf(const File& file, std::uint32_t type, std::u16string_view name) const
{
    std::vector<const Attribute*> extents;
    for (const Attribute& a : file.Attributes)
        if (a.Type == type && a.Name == name && !a.Resident) extents.push_back(&a);
    if (extents.empty()) Fail(T("MFT record ") + Number(file.Number) + T(" has no such non-resident attribute"));
    std::sort(extents.begin(), extents.end(), [](const Attribute* a, const Attribute* b) { return a->LowestVcn < b->LowestVcn; });
    const Attribute& first = *extents.front();
    if (first.LowestVcn != 0) Fail(T("MFT record ") + Number(file.Number) + T(": an attribute's first extent is missing"));
    if (first.Flags & 0x4001) Fail(T("MFT record ") + Number(file.Number) + T(": a compressed or encrypted attribute cannot be read"));
    const std::uint64_t limit = placement_.Length;
    if (first.AllocatedSize > limit) Fail(T("MFT record ") + Number(file.Number) + T(": an attribute is larger than the volume"));
    Stream stream;
    stream.DataSize = first.DataSize;
    stream.InitializedSize = first.InitializedSize;
    std::uint64_t next = 0;
    for (const Attribute* a : extents) {
        // An empty attribute's only extent ends at VCN -1.
        if (a->HighestVcn == ~std::uint64_t{0} && a->LowestVcn == 0) continue;
        if (a->LowestVcn != next) Fail(T("MFT record ") + Number(file.Number) + T(": an attribute's extents leave a gap or overlap"));
        // No extent reaches past the allocation, itself no larger than the volume.
        if (a->HighestVcn >= (first.AllocatedSize + boot_.ClusterSize - 1) / boot_.ClusterSize)
            Fail(T("MFT record ") + Number(file.Number) + T(": an attribute's runs reach past its allocation"));
        std::vector<Run> runs;
        if (Refusal why = DecodeRunlist(a->Runlist, a->LowestVcn, a->HighestVcn, clusterCount_, runs))
            Fail(T("MFT record ") + Number(file.Number) + T(": ") + *why);
        stream.Runs.insert(stream.Runs.end(), runs.begin(), runs.end());
        next = a->HighestVcn + 1;
    }
    return stream;
}

void Volume::ReadStream(const Stream& stream, std::uint64_t offset, std::uint8_t* out, std::size_t count) const
{
    if (offset > stream.DataSize || count > stream.DataSize - offset) Fail(T("a read runs past the end of an attribute"));
    const std::uint64_t cluster = boot_.ClusterSize;
    while (count > 0) {
        const std::uint64_t vcn = offset / cluster;
        const std::uint64_t within = offset % cluster;
        // The run holding `vcn`: the last one that starts at or before it.
        auto run = std::upper_bound(stream.Runs.begin(), stream.Runs.end(), vcn,
                                    [](std::uint64_t v, const Run& r) { return v < r.Vcn; });
        std::size_t piece = count;
        bool zeros = true;
        std::uint64_t at = 0;
        if (run != stream.Runs.begin()) {
            --run;
            if (vcn < run->Vcn + run->Length) {
                // In clusters first: a long sparse run times the cluster size could overflow.
                const std::uint64_t clustersLeft = run->Vcn + run->Length - vcn;
                if (clustersLeft <= count / cluster + 1)
                    piece = static_cast<std::size_t>(std::min<std::uint64_t>(count, clustersLeft * cluster - within));
                zeros = run->Sparse;
                at = (run->Lcn + (vcn - run->Vcn)) * cluster + within;
            } else {
                Fail(T("a read reaches a part of an attribute that no run maps"));
            }
        } else {
            Fail(T("a read reaches a part of an attribute that no run maps"));
        }
        // Bytes past the initialized size are zeros whatever the clusters hold.
        if (offset >= stream.InitializedSize) zeros = true;
        else piece = static_cast<std::size_t>(std::min<std::uint64_t>(piece, stream.InitializedSize - offset));
        if (zeros) std::fill(out, out + piece, std::uint8_t{0});
        else ReadVolume(at, out, piece);
        out += piece;
        offset += piece;
        count -= piece;
    }
}

std::vector<std::uint8_t> Volume::ReadValue(const File& file, const Attribute& attribute, std::size_t limit) const
{
    if (attribute.Resident) {
        if (attribute.Value.size() > limit) Fail(T("MFT record ") + Number(file.Number) + T(": an attribute is too large"));
        return {attribute.Value.begin(), attribute.Value.end()};
    }
    const Stream stream = StreamOf(file, attribute.Type, attribute.Name);
    if (stream.DataSize > limit || stream.DataSize > placement_.Length)
        Fail(T("MFT record ") + Number(file.Number) + T(": an attribute is too large"));
    std::vector<std::uint8_t> value(static_cast<std::size_t>(stream.DataSize));
    ReadStream(stream, 0, value.data(), value.size());
    return value;
}

// ---- Indexes -----------------------------------------------------------------------

std::uint64_t Volume::IndexVcnSize(std::uint32_t blockSize) const
{
    // Index blocks smaller than a cluster are addressed in 512-byte units.
    return blockSize < boot_.ClusterSize ? 512 : boot_.ClusterSize;
}

std::vector<std::uint8_t> Volume::ReadIndexBlock(const Stream& allocation, std::uint32_t blockSize, std::uint64_t vcn) const
{
    const std::uint64_t unit = IndexVcnSize(blockSize);
    if (vcn > allocation.DataSize / unit) Fail(T("an index names a block past the end of its allocation"));
    std::vector<std::uint8_t> block(blockSize);
    ReadStream(allocation, vcn * unit, block.data(), block.size());
    if (Refusal why = ApplyFixups(block, u"INDX")) Fail(T("index block ") + Number(vcn) + T(": ") + *why);
    return block;
}

namespace {

struct IndexParts {
    IndexRoot Root;
    std::optional<Stream> Allocation;
};

IndexParts OpenIndex(const Volume& volume, const File& file, std::u16string_view name)
{
    const Attribute* root = file.Find(kAttrIndexRoot, name);
    if (!root || !root->Resident) Fail(T("MFT record ") + Number(file.Number) + T(" has no index root ") + std::u16string(name));
    IndexParts parts;
    if (Refusal why = DecodeIndexRoot(root->Value, parts.Root)) Fail(T("MFT record ") + Number(file.Number) + T(": ") + *why);
    const std::uint32_t size = parts.Root.BlockSize;
    if (size < 512 || size > 65536 || (size & (size - 1)) != 0)
        Fail(T("MFT record ") + Number(file.Number) + T(": an index root gives an impossible block size"));
    if (file.Find(kAttrIndexAllocation, name)) parts.Allocation = volume.StreamOf(file, kAttrIndexAllocation, name);
    return parts;
}

}  // namespace

std::optional<FileName> Volume::Lookup(const File& folder, std::u16string_view name, std::uint64_t& reference) const
{
    const IndexParts index = OpenIndex(*this, folder, u"$I30");
    std::vector<std::uint8_t> block;
    std::span<const std::uint8_t> node = index.Root.Node;
    std::set<std::uint64_t> visited;
    for (int depth = 0; depth < kMaxIndexDepth; ++depth) {
        std::vector<IndexEntry> entries;
        if (Refusal why = DecodeIndexNode(node, entries)) Fail(T("the index of MFT record ") + Number(folder.Number) + T(": ") + *why);
        std::optional<FileName> candidate;
        std::uint64_t candidateReference = 0;
        std::optional<std::uint64_t> down;
        for (const IndexEntry& e : entries) {
            int order = -1;
            FileName key;
            if (!e.Last) {
                if (Refusal why = DecodeFileName(e.Key, key))
                    Fail(T("the index of MFT record ") + Number(folder.Number) + T(": ") + *why);
                order = upcase_.Compare(name, key.Name);
            }
            if (order == 0) {
                if (key.Name == name) {
                    reference = e.Reference;
                    return key;
                }
                if (!candidate) {
                    candidate = key;
                    candidateReference = e.Reference;
                }
                continue;
            }
            if (order < 0) {
                down = e.SubnodeVcn;
                break;
            }
        }
        if (candidate) {
            reference = candidateReference;
            return candidate;
        }
        if (!down) return std::nullopt;
        if (!index.Allocation) Fail(T("the index of MFT record ") + Number(folder.Number) + T(" names blocks it does not have"));
        if (!visited.insert(*down).second) Fail(T("the index of MFT record ") + Number(folder.Number) + T(" runs in a circle"));
        block = ReadIndexBlock(*index.Allocation, index.Root.BlockSize, *down);
        if (Refusal why = DecodeIndexBlock(block, *down, node))
            Fail(T("the index of MFT record ") + Number(folder.Number) + T(": ") + *why);
    }
    Fail(T("the index of MFT record ") + Number(folder.Number) + T(" is too deep"));
}

void Volume::WalkIndex(const File& file, std::u16string_view name, const std::function<bool(const IndexEntry&)>& visit) const
{
    const IndexParts index = OpenIndex(*this, file, name);
    std::set<std::uint64_t> visited;
    const auto where = [&] { return T("the index ") + std::u16string(name) + T(" of MFT record ") + Number(file.Number) + T(": "); };
    // Depth-first, in key order: an entry's sub-node holds the keys before it.
    std::function<bool(std::span<const std::uint8_t>, int)> walk = [&](std::span<const std::uint8_t> node, int depth) -> bool {
        if (depth >= kMaxIndexDepth) Fail(where() + T("too deep"));
        std::vector<IndexEntry> entries;
        if (Refusal why = DecodeIndexNode(node, entries)) Fail(where() + *why);
        for (const IndexEntry& e : entries) {
            if (e.SubnodeVcn) {
                if (!index.Allocation) Fail(where() + T("it names blocks it does not have"));
                if (!visited.insert(*e.SubnodeVcn).second) Fail(where() + T("it runs in a circle"));
                const std::vector<std::uint8_t> block = ReadIndexBlock(*index.Allocation, index.Root.BlockSize, *e.SubnodeVcn);
                std::span<const std::uint8_t> child;
                if (Refusal why = DecodeIndexBlock(block, *e.SubnodeVcn, child)) Fail(where() + *why);
                if (!walk(child, depth + 1)) return false;
            }
            if (!e.Last && !visit(e)) return false;
        }
        return true;
    };
    walk(index.Root.Node, 0);
}

// ---- Paths -------------------------------------------------------------------------

std::u16string PathBuilder::PathOf(const FileName& name)
{
    std::u16string folder = FolderPath(name.ParentReference);
    if (folder.size() > 1) folder += u'/';
    return folder + name.Name;
}

std::u16string PathBuilder::FolderPath(std::uint64_t reference)
{
    // Up the parent references to the root or to a folder already known, then the paths
    // of every folder met on the way, top down.
    std::vector<std::pair<std::uint64_t, std::u16string>> chain;
    std::set<std::uint64_t> seen;
    std::u16string path;
    for (;;) {
        const std::uint64_t number = RecordOf(reference);
        if (number == kRootRecord) {
            path = u"/";
            break;
        }
        if (const auto known = folders_.find(number); known != folders_.end()) {
            path = known->second;
            break;
        }
        if (!seen.insert(number).second || chain.size() >= kMaxPathDepth)
            Fail(T("the parent folders of MFT record ") + Number(number) + T(" run in a circle"));
        const File folder = volume_.Load(number);
        if (!folder.Base.InUse() || !folder.Base.IsDirectory())
            Fail(T("the parent folder (MFT record ") + Number(number) + T(") is not a folder in use"));
        if (SequenceOf(reference) != 0 && SequenceOf(reference) != folder.Base.Sequence)
            Fail(T("the parent folder (MFT record ") + Number(number) + T(") has been deleted and its record reused"));
        const std::vector<FileName> names = folder.Names();
        const FileName* own = PreferredName(names);
        if (!own) Fail(T("the folder in MFT record ") + Number(number) + T(" has no name"));
        chain.emplace_back(number, own->Name);
        reference = own->ParentReference;
    }
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (path.size() > 1) path += u'/';
        path += it->second;
        folders_.emplace(it->first, path);
    }
    return path;
}

}  // namespace ntfs
