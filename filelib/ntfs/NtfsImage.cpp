// NtfsImage and NtfsReparseScan: entries and listings over the volume reader.
#include <Hollin0106/NtfsImage.h>

#include <Hollin0106/AutomationError.h>

#include <algorithm>
#include <atomic>
#include <deque>

#include "common/Utf16.h"
#include "filelib/modReparsePoint.h"
#include "filelib/ntfs/NtfsVolume.h"
#include "support/quovixsupportfbe.h"

using namespace ntfs;

namespace Hollin0106 {

namespace {

constexpr std::int32_t kInvalidFileFormat = 321;
// MFT records read at once by a scan of the MFT.
constexpr std::size_t kScanBatchBytes = 256 * 1024;

std::u16string RecordPlaceholder(std::uint64_t number)
{
    return u"<MFT record " + FromUtf8(std::to_string(number)) + u">";
}

// Validation and decoding exactly as GetSymlinkTargetEx does them for a mounted entry.
void Decode(std::vector<std::uint8_t> data, NtfsReparseEntry& entry)
{
    modReparsePoint::ReparseResult result;
    entry.Code = modReparsePoint::DecodeReparseBuffer(std::move(data), entry.Path, PathStyle::Posix, result);
    if (result.data.size() >= 4) entry.Tag = static_cast<std::uint32_t>(result.tag);
    entry.Data = std::move(result.data);
    entry.Target = std::move(result.target);
    entry.RawTarget = std::move(result.rawTarget);
    entry.PrintName = std::move(result.printName);
    entry.Relative = result.relative;
}

// What the file's records say besides its reparse point: attributes, times, streams.
void Describe(const File& file, NtfsReparseEntry& entry)
{
    entry.IsDirectory = file.Base.IsDirectory();
    if (const Attribute* info = file.Find(kAttrStandardInformation); info && info->Resident) {
        StandardInformation si;
        if (!DecodeStandardInformation(info->Value, si)) {
            entry.FileAttributes = si.FileAttributes;
            entry.CreationTime = si.CreationTime;
            entry.LastWriteTime = si.ModificationTime;
        }
    }
    for (const Attribute& a : file.Attributes)
        if (a.Type == kAttrData && !a.Name.empty() && (a.Resident || a.LowestVcn == 0))
            entry.Streams.push_back({a.Name, a.Resident ? a.Value.size() : a.DataSize});
}

void MarkDamaged(NtfsReparseEntry& entry, SymlinkTargetError_Const code, const std::u16string& why)
{
    entry.Code = code;
    entry.ErrorDetail = why;
    entry.Data.clear();
}

// The entries of the file in record `number` when it carries a reparse point: one per
// link (its Win32 or POSIX names; a DOS name only when it has no other). Nothing for a
// record not in use, reused since (`sequence` differs), or without a reparse point.
void AddFileEntries(const Volume& volume, PathBuilder& paths, std::uint64_t number, std::uint16_t sequence,
                    std::uint32_t indexTag, std::deque<NtfsReparseEntry>& out)
{
    NtfsReparseEntry base;
    base.RecordNumber = number;
    base.Tag = indexTag;
    base.Path = RecordPlaceholder(number);
    File file;
    try {
        file = volume.Load(number);
    } catch (const Damaged& e) {
        MarkDamaged(base, setCreateFileFailed, e.Text());
        out.push_back(std::move(base));
        return;
    }
    if (!file.Base.InUse() || (sequence != 0 && sequence != file.Base.Sequence)) return;
    const Attribute* reparse = file.Find(kAttrReparsePoint);
    if (!reparse) return;
    Describe(file, base);
    std::vector<std::uint8_t> data;
    std::u16string dataProblem;
    try {
        data = volume.ReadValue(file, *reparse, kReparseValueLimit);
    } catch (const Damaged& e) {
        dataProblem = e.Text();
    }
    const std::vector<FileName> names = file.Names();
    std::vector<const FileName*> links;
    for (const FileName& n : names)
        if (n.NameSpace != kNameDos) links.push_back(&n);
    if (links.empty())
        for (const FileName& n : names) links.push_back(&n);
    if (links.empty()) {
        MarkDamaged(base, setCreateFileFailed, u"MFT record " + FromUtf8(std::to_string(number)) + u" has no file name");
        out.push_back(std::move(base));
        return;
    }
    for (const FileName* link : links) {
        NtfsReparseEntry entry = base;
        try {
            entry.Path = paths.PathOf(*link);
        } catch (const Damaged& e) {
            MarkDamaged(entry, setCreateFileFailed, e.Text());
            out.push_back(std::move(entry));
            continue;
        }
        if (!dataProblem.empty()) MarkDamaged(entry, setDeviceIOControlFailed, dataProblem);
        else Decode(data, entry);
        out.push_back(std::move(entry));
    }
}

// Every key of $Extend\$Reparse's $R index, in record order; Damaged when the index is
// missing or damaged.
std::vector<ReparseKey> ReadReparseIndex(const Volume& volume)
{
    const File extend = volume.Load(kExtendRecord);
    if (!extend.Base.InUse() || !extend.Base.IsDirectory()) throw Damaged(u"the volume has no $Extend folder");
    std::uint64_t reference = 0;
    if (!volume.Lookup(extend, u"$Reparse", reference)) throw Damaged(u"the volume has no $Extend\\$Reparse");
    const File reparse = volume.Load(RecordOf(reference));
    if (!reparse.Base.InUse()) throw Damaged(u"$Extend\\$Reparse's record is not in use");
    std::vector<ReparseKey> keys;
    volume.WalkIndex(reparse, u"$R", [&](const IndexEntry& e) {
        ReparseKey key;
        if (Refusal why = DecodeReparseKey(e.Key, key)) throw Damaged(u"$Extend\\$Reparse: " + *why);
        keys.push_back(key);
        // A list longer than the MFT has records cannot be right.
        if (keys.size() > volume.RecordCount()) throw Damaged(u"$Extend\\$Reparse lists more entries than the MFT has records");
        return true;
    });
    std::sort(keys.begin(), keys.end(), [](const ReparseKey& a, const ReparseKey& b) {
        return RecordOf(a.Reference) < RecordOf(b.Reference);
    });
    keys.erase(std::unique(keys.begin(), keys.end(),
                           [](const ReparseKey& a, const ReparseKey& b) { return RecordOf(a.Reference) == RecordOf(b.Reference); }),
               keys.end());
    return keys;
}

// The path a user gave, as components: "/" and "\" separate, "." stays, ".." goes up.
std::vector<std::u16string> SplitVolumePath(const std::u16string& path)
{
    std::vector<std::u16string> parts;
    std::u16string part;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == u'/' || path[i] == u'\\') {
            if (part == u"..") {
                if (!parts.empty()) parts.pop_back();
            } else if (!part.empty() && part != u".") {
                parts.push_back(part);
            }
            part.clear();
        } else {
            part += path[i];
        }
    }
    return parts;
}

std::u16string JoinVolumePath(const std::vector<std::u16string>& parts)
{
    std::u16string path;
    for (const std::u16string& p : parts) path += u"/" + p;
    return path.empty() ? u"/" : path;
}

}  // namespace

// ---- The scan ----------------------------------------------------------------------

struct NtfsReparseScan::State {
    explicit State(std::shared_ptr<const Volume> v) : volume(std::move(v)), paths(*volume) {}

    std::shared_ptr<const Volume> volume;
    PathBuilder paths;
    bool fromIndex = false;
    std::u16string indexProblem;
    std::vector<ReparseKey> keys;
    std::size_t nextKey = 0;
    std::uint64_t nextRecord = 0;
    std::deque<NtfsReparseEntry> pending;
    std::vector<std::uint8_t> batch;
    std::vector<Refusal> refusals;
    std::atomic<bool> cancelled{false};
    std::atomic<std::uint64_t> done{0};
    std::atomic<std::uint64_t> total{0};

    void ScanBatch();
};

void NtfsReparseScan::State::ScanBatch()
{
    const std::uint64_t recordSize = volume->Boot().RecordSize;
    const std::uint64_t first = nextRecord;
    const std::size_t count = static_cast<std::size_t>(
        std::min<std::uint64_t>(std::max<std::uint64_t>(kScanBatchBytes / recordSize, 1), volume->RecordCount() - first));
    nextRecord += count;
    try {
        volume->ReadRecords(first, count, batch, refusals);
    } catch (const Damaged& e) {
        NtfsReparseEntry entry;
        entry.RecordNumber = first;
        entry.Path = RecordPlaceholder(first);
        MarkDamaged(entry, setCreateFileFailed, u"MFT records " + FromUtf8(std::to_string(first)) + u" to " +
                                                    FromUtf8(std::to_string(first + count - 1)) + u": " + e.Text());
        pending.push_back(std::move(entry));
        return;
    }
    for (std::size_t i = 0; i < count; ++i) {
        const auto bytes = std::span<const std::uint8_t>(batch).subspan(i * recordSize, recordSize);
        const std::uint64_t number = first + i;
        // Flags at 22 (0x1 in use) and base reference at 32 survive a torn record: the
        // update sequence guards only the last bytes of each 512.
        const bool file = bytes[0] == 'F' && bytes[1] == 'I' && bytes[2] == 'L' && bytes[3] == 'E';
        const bool inUse = (bytes[22] & 1) != 0;
        std::uint64_t baseReference = 0;
        for (int b = 7; b >= 0; --b) baseReference = baseReference << 8 | bytes[32 + static_cast<std::size_t>(b)];
        if (!file || !inUse || baseReference != 0) continue;
        FileRecord record;
        Refusal why = refusals[i];
        if (!why) why = DecodeFileRecord(bytes, record);
        // A torn record still shows its attributes (the update sequence spoils only the
        // last two bytes of each 512): one that plainly holds no reparse point is no
        // entry of this listing; any other is reported, as it may have been one.
        if (why && refusals[i] && !DecodeFileRecord(bytes, record) &&
            std::none_of(record.Attributes.begin(), record.Attributes.end(), [](const Attribute& a) {
                return a.Type == kAttrReparsePoint || a.Type == kAttrAttributeList;
            }))
            continue;
        if (why) {
            // A torn file record may have been a reparse point: say so rather than drop it.
            NtfsReparseEntry entry;
            entry.RecordNumber = number;
            entry.Path = RecordPlaceholder(number);
            MarkDamaged(entry, setCreateFileFailed, u"MFT record " + FromUtf8(std::to_string(number)) + u": " + *why);
            pending.push_back(std::move(entry));
            continue;
        }
        const bool candidate = std::any_of(record.Attributes.begin(), record.Attributes.end(), [](const Attribute& a) {
            return a.Type == kAttrReparsePoint || a.Type == kAttrAttributeList;
        });
        if (candidate) AddFileEntries(*volume, paths, number, 0, 0, pending);
    }
}

NtfsReparseScan::NtfsReparseScan() = default;
NtfsReparseScan::~NtfsReparseScan() = default;
NtfsReparseScan::NtfsReparseScan(NtfsReparseScan&&) noexcept = default;
NtfsReparseScan& NtfsReparseScan::operator=(NtfsReparseScan&&) noexcept = default;

bool NtfsReparseScan::Next(NtfsReparseEntry& entry)
{
    return Next(entry, {});
}

bool NtfsReparseScan::Next(NtfsReparseEntry& entry, const std::function<void()>& progress)
{
    if (!state_) return false;
    State& s = *state_;
    while (s.pending.empty()) {
        if (s.cancelled) return false;
        if (s.fromIndex) {
            if (s.nextKey == s.keys.size()) return false;
            const ReparseKey& key = s.keys[s.nextKey++];
            AddFileEntries(*s.volume, s.paths, RecordOf(key.Reference), SequenceOf(key.Reference), key.Tag, s.pending);
            s.done = s.nextKey;
        } else {
            if (s.nextRecord >= s.volume->RecordCount()) return false;
            s.ScanBatch();
            s.done = s.nextRecord;
        }
        if (progress) progress();
    }
    if (s.cancelled) return false;
    entry = std::move(s.pending.front());
    s.pending.pop_front();
    return true;
}

void NtfsReparseScan::Cancel()
{
    if (state_) state_->cancelled = true;
}

bool NtfsReparseScan::Cancelled() const
{
    return state_ && state_->cancelled;
}

std::uint64_t NtfsReparseScan::Done() const
{
    return state_ ? state_->done.load() : 0;
}

std::uint64_t NtfsReparseScan::Total() const
{
    return state_ ? state_->total.load() : 0;
}

bool NtfsReparseScan::FromIndex() const
{
    return state_ && state_->fromIndex;
}

std::u16string NtfsReparseScan::IndexProblem() const
{
    return state_ ? state_->indexProblem : std::u16string();
}

// ---- The image ---------------------------------------------------------------------

NtfsImage::NtfsImage() = default;
NtfsImage::~NtfsImage() = default;
NtfsImage::NtfsImage(NtfsImage&&) noexcept = default;
NtfsImage& NtfsImage::operator=(NtfsImage&&) noexcept = default;

bool NtfsImage::Open(const std::u16string& ImagePath, std::int32_t Partition, bool RaiseErrors)
{
    Close();
    const auto fail = [&](std::int32_t number, std::u16string description) {
        errorNumber_ = number;
        errorDescription_ = std::move(description);
        if (RaiseErrors) throw AutomationError(errorNumber_, u"NtfsImage", errorDescription_);
        return false;
    };
    auto image = std::make_shared<platform::ImageFile>();
    if (const std::error_code ec = platform::OpenImageFile(ImagePath, *image))
        return fail(esWin32ErrorToVBAErrorIO(ec.value(), ImagePath), FromUtf8(ec.message()));
    PlacementError placementError;
    const std::optional<Placement> placement = PlaceVolume(*image, Partition, placementError);
    if (!placement) return fail(placementError.Number, placementError.Text);
    try {
        auto volume = std::make_shared<const ntfs::Volume>(image, *placement);
        info_.Partition = placement->Partition;
        info_.Offset = placement->Offset;
        info_.Size = placement->Length;
        info_.BytesPerSector = volume->Boot().BytesPerSector;
        info_.ClusterSize = volume->Boot().ClusterSize;
        info_.RecordSize = volume->Boot().RecordSize;
        info_.RecordCount = volume->RecordCount();
        volume_ = std::move(volume);
    } catch (const Damaged& e) {
        return fail(kInvalidFileFormat, u"the NTFS volume cannot be read: " + e.Text());
    } catch (const std::bad_alloc&) {
        return fail(kInvalidFileFormat, u"the NTFS volume cannot be read: it asks for more memory than there is");
    }
    errorNumber_ = 0;
    errorDescription_.clear();
    return true;
}

void NtfsImage::Close()
{
    volume_.reset();
    info_ = {};
}

bool NtfsImage::IsOpen() const
{
    return volume_ != nullptr;
}

std::int32_t NtfsImage::ErrorNumber() const
{
    return errorNumber_;
}

const std::u16string& NtfsImage::ErrorDescription() const
{
    return errorDescription_;
}

const NtfsVolumeInfo& NtfsImage::Volume() const
{
    return info_;
}

NtfsReparseEntry NtfsImage::ReadEntry(const std::u16string& VolumePath) const
{
    if (!volume_) throw AutomationError(errnum::InvalidProcedureCall, u"NtfsImage", u"no NTFS image is open");
    const ntfs::Volume& volume = *volume_;
    std::vector<std::u16string> asked = SplitVolumePath(VolumePath);
    NtfsReparseEntry entry;
    entry.Path = JoinVolumePath(asked);
    try {
        File current = volume.Load(kRootRecord);
        std::vector<std::u16string> shown;
        for (const std::u16string& part : asked) {
            std::uint64_t reference = 0;
            std::optional<FileName> found;
            if (current.Base.IsDirectory()) found = volume.Lookup(current, part, reference);
            if (!found) {
                entry.Code = setFileNotFound;
                return entry;
            }
            File child = volume.Load(RecordOf(reference));
            if (!child.Base.InUse() || (SequenceOf(reference) != 0 && SequenceOf(reference) != child.Base.Sequence)) {
                entry.Code = setFileNotFound;
                return entry;
            }
            // The name as the folder spells it; for a DOS 8.3 name the user typed, the
            // long name it stands beside (a file with a DOS name has one Win32 name).
            if (found->NameSpace != kNameDos) {
                shown.push_back(found->Name);
            } else {
                const std::vector<FileName> names = child.Names();
                const FileName* name = PreferredName(names, current.Number);
                shown.push_back(name ? name->Name : found->Name);
            }
            current = std::move(child);
        }
        entry.Path = JoinVolumePath(shown);
        entry.RecordNumber = current.Number;
        Describe(current, entry);
        const Attribute* reparse = current.Find(kAttrReparsePoint);
        if (!reparse) {
            entry.Code = setNotSymlink;
            return entry;
        }
        std::vector<std::uint8_t> data;
        try {
            data = volume.ReadValue(current, *reparse, kReparseValueLimit);
        } catch (const Damaged& e) {
            MarkDamaged(entry, setDeviceIOControlFailed, e.Text());
            return entry;
        }
        Decode(std::move(data), entry);
    } catch (const Damaged& e) {
        MarkDamaged(entry, setCreateFileFailed, e.Text());
    }
    return entry;
}

NtfsReparseScan NtfsImage::ScanReparsePoints() const
{
    if (!volume_) throw AutomationError(errnum::InvalidProcedureCall, u"NtfsImage", u"no NTFS image is open");
    NtfsReparseScan scan;
    scan.state_ = std::make_unique<NtfsReparseScan::State>(volume_);
    NtfsReparseScan::State& s = *scan.state_;
    try {
        s.keys = ReadReparseIndex(*volume_);
        s.fromIndex = true;
        s.total = s.keys.size();
    } catch (const Damaged& e) {
        s.indexProblem = e.Text();
        s.keys.clear();
        s.fromIndex = false;
        s.total = volume_->RecordCount();
    }
    return scan;
}

std::vector<NtfsReparseEntry> NtfsImage::ReparsePoints() const
{
    std::vector<NtfsReparseEntry> all;
    NtfsReparseScan scan = ScanReparsePoints();
    for (NtfsReparseEntry e; scan.Next(e);) all.push_back(std::move(e));
    return all;
}

}  // namespace Hollin0106
