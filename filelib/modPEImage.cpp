// Windows executable headers and the PE resource directory. Layouts as Microsoft's PE/COFF
// documentation ("PE Format") and the NE format documentation give them;
// offsets in the comments are relative to the structure named.
#include "filelib/modPEImage.h"

#include <algorithm>
#include <string>

#include "common/ByteReader.h"
#include "common/Utf16.h"

namespace modPEImage {
namespace {

constexpr std::uint16_t kMZ = 0x5A4D;             // "MZ"
constexpr std::uint32_t kPESignature = 0x00004550;  // "PE\0\0"
constexpr std::uint16_t kNESignature = 0x454E;      // "NE"
constexpr std::size_t kLfanewOffset = 0x3C;        // DOS header: offset of the new header
constexpr std::uint16_t kPE32Magic = 0x10B;
constexpr std::uint16_t kPE32PlusMagic = 0x20B;
constexpr std::uint32_t kResourceDirectoryIndex = 2;
constexpr std::uint32_t kRTVersion = 16;
constexpr std::uint32_t kHighBit = 0x80000000u;

struct Section {
    std::uint32_t virtualAddress = 0;
    std::uint32_t rawSize = 0;
    std::uint32_t rawOffset = 0;
};

// The PE headers needed to find resources. `ok` false when any of it lies outside.
struct PEHeaders {
    bool ok = false;
    std::size_t sectionTable = 0;
    std::uint16_t sectionCount = 0;
    std::uint32_t resourceRva = 0;
    std::uint32_t resourceSize = 0;
};

// Offset of the "PE\0\0" or "NE" header, or nothing when the DOS header is not there.
std::optional<std::uint32_t> NewHeaderOffset(ByteReader& r)
{
    r.seek(0);
    if (r.u16le() != kMZ) return std::nullopt;
    r.seek(kLfanewOffset);
    const std::uint32_t lfanew = r.u32le();
    if (!r.ok()) return std::nullopt;
    return lfanew;
}

PEHeaders ReadPEHeaders(std::span<const std::uint8_t> image)
{
    PEHeaders h;
    ByteReader r(image);
    const auto lfanew = NewHeaderOffset(r);
    if (!lfanew) return h;
    r.seek(*lfanew);
    if (r.u32le() != kPESignature) return h;
    // COFF header (20 bytes): +2 NumberOfSections, +16 SizeOfOptionalHeader.
    r.skip(2);
    h.sectionCount = r.u16le();
    r.skip(12);
    const std::uint16_t optionalSize = r.u16le();
    r.skip(2);
    const std::size_t optionalStart = r.offset();
    // Optional header: +0 Magic; the data directories follow NumberOfRvaAndSizes at
    // +92 (PE32) or +108 (PE32+).
    const std::uint16_t magic = r.u16le();
    std::size_t countOffset = 0;
    if (magic == kPE32Magic) countOffset = 92;
    else if (magic == kPE32PlusMagic) countOffset = 108;
    else return h;
    if (countOffset + 4 > optionalSize) return h;
    r.seek(optionalStart + countOffset);
    const std::uint32_t directoryCount = r.u32le();
    if (directoryCount <= kResourceDirectoryIndex) return h;
    // Each directory entry is 8 bytes: RVA, Size; it must lie inside the optional header.
    const std::size_t entryOffset = countOffset + 4 + 8 * kResourceDirectoryIndex;
    if (entryOffset + 8 > optionalSize) return h;
    r.seek(optionalStart + entryOffset);
    h.resourceRva = r.u32le();
    h.resourceSize = r.u32le();
    h.sectionTable = optionalStart + optionalSize;
    h.ok = r.ok() && h.sectionTable <= image.size();
    return h;
}

Section ReadSection(std::span<const std::uint8_t> image, std::size_t tableOffset, std::size_t index)
{
    // Section header (40 bytes): +12 VirtualAddress, +16 SizeOfRawData, +20 PointerToRawData.
    ByteReader r(image);
    r.seek(tableOffset);
    r.skip(40 * index + 12);
    Section s;
    s.virtualAddress = r.u32le();
    s.rawSize = r.u32le();
    s.rawOffset = r.u32le();
    return r.ok() ? s : Section{};
}

// The file bytes from `rva` to the end of the section's raw data that holds it; empty
// when no section holds it in the file.
std::span<const std::uint8_t> MapRva(std::span<const std::uint8_t> image, const PEHeaders& h, std::uint32_t rva)
{
    for (std::size_t i = 0; i < h.sectionCount; ++i) {
        const Section s = ReadSection(image, h.sectionTable, i);
        if (s.rawSize == 0 || rva < s.virtualAddress || rva - s.virtualAddress >= s.rawSize) continue;
        const std::uint32_t delta = rva - s.virtualAddress;
        ByteReader r(image);
        if (s.rawOffset > image.size()) return {};
        // A section whose raw data runs past the end of the file keeps what the file holds.
        const std::size_t available = image.size() - s.rawOffset;
        if (delta >= available) return {};
        const std::size_t length = std::min<std::size_t>(s.rawSize - delta, available - delta);
        return r.sub(s.rawOffset + delta, length);
    }
    return {};
}

// The entry of a resource directory at `offset` in `dir` whose ID is `id`, or (without
// an id) its first entry; returns the entry's OffsetToData field.
std::optional<std::uint32_t> DirectoryEntry(std::span<const std::uint8_t> dir, std::uint32_t offset,
                                            std::optional<std::uint32_t> id)
{
    // IMAGE_RESOURCE_DIRECTORY (16 bytes): +12 NumberOfNamedEntries, +14 NumberOfIdEntries;
    // then 8-byte entries: Name (high bit: a string offset, else the ID), OffsetToData.
    ByteReader r(dir);
    r.seek(offset);
    r.skip(12);
    const std::uint32_t named = r.u16le();
    const std::uint32_t ids = r.u16le();
    if (!r.ok()) return std::nullopt;
    for (std::uint32_t i = 0; i < named + ids; ++i) {
        const std::uint32_t name = r.u32le();
        const std::uint32_t data = r.u32le();
        if (!r.ok()) return std::nullopt;
        if (!id || ((name & kHighBit) == 0 && name == *id)) return data;
    }
    return std::nullopt;
}

// The first RT_VERSION resource of an NE image. NE header: +24h offset of the resource
// table (from the NE header). Resource table: +0 alignment shift, then type records
// (+0 type ID, 8000h set for a numbered type, 0 ends the table; +2 resource count; 4
// reserved bytes) each followed by its 12-byte resource records (+0 offset and +2 length,
// both in units of 1 << shift).
std::optional<std::span<const std::uint8_t>> FindNEVersionResource(std::span<const std::uint8_t> image)
{
    ByteReader r(image);
    const auto lfanew = NewHeaderOffset(r);
    if (!lfanew) return std::nullopt;
    r.seek(*lfanew);
    if (r.u16le() != kNESignature) return std::nullopt;
    r.seek(*lfanew);
    r.skip(0x24);
    const std::uint16_t table = r.u16le();
    r.seek(*lfanew);
    r.skip(table);
    const std::uint16_t shift = r.u16le();
    if (!r.ok() || shift > 16) return std::nullopt;
    // Each type record moves forward by at least 8 bytes, so the walk ends at the end of
    // the file at the latest.
    for (;;) {
        const std::uint16_t type = r.u16le();
        const std::uint16_t count = r.u16le();
        r.skip(4);
        if (!r.ok() || type == 0) return std::nullopt;
        if (type != (0x8000 | kRTVersion)) {
            r.skip(std::size_t{count} * 12);
            continue;
        }
        if (count == 0) return std::nullopt;
        const std::uint64_t offset = std::uint64_t{r.u16le()} << shift;
        const std::uint64_t length = std::uint64_t{r.u16le()} << shift;
        if (!r.ok() || length == 0 || offset > image.size() || length > image.size() - offset) return std::nullopt;
        return image.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
    }
}

}  // namespace

ImageHeader ReadImageHeader(std::span<const std::uint8_t> image)
{
    ImageHeader out;
    ByteReader r(image);
    const auto lfanew = NewHeaderOffset(r);
    if (!lfanew) return out;
    out.kind = ImageKind::MZ;
    r.seek(*lfanew);
    const std::size_t start = r.offset();
    const std::uint16_t signature = r.u16le();
    if (!r.ok()) return out;
    if (signature == kNESignature) {
        // NE header: +3Eh expected Windows version (minor byte, then major byte).
        r.seek(start + 0x3E);
        const std::uint16_t expected = r.u16le();
        if (r.ok()) {
            out.kind = ImageKind::NE;
            out.expectedWindows = expected;
        }
        return out;
    }
    r.seek(start);
    if (r.u32le() != kPESignature) return out;
    // Optional header after the 20-byte COFF header: +48 MajorSubsystemVersion,
    // +50 MinorSubsystemVersion, +68 Subsystem (same offsets in PE32 and PE32+).
    const std::size_t optional = r.offset() + 20;
    r.seek(optional + 48);
    const std::uint16_t major = r.u16le();
    const std::uint16_t minor = r.u16le();
    r.seek(optional + 68);
    const std::uint16_t subsystem = r.u16le();
    if (!r.ok()) return out;
    out.kind = ImageKind::PE;
    out.subsystemMajor = major;
    out.subsystemMinor = minor;
    out.subsystem = subsystem;
    return out;
}

std::optional<std::uint64_t> ImageExtent(std::span<const std::uint8_t> head)
{
    const PEHeaders h = ReadPEHeaders(head);
    if (!h.ok) return std::nullopt;
    std::uint64_t extent = h.sectionTable + std::uint64_t{40} * h.sectionCount;
    if (extent > head.size()) return std::nullopt;
    for (std::size_t i = 0; i < h.sectionCount; ++i) {
        const Section s = ReadSection(head, h.sectionTable, i);
        extent = std::max(extent, std::uint64_t{s.rawOffset} + s.rawSize);
    }
    return extent;
}

std::uint32_t ShellExeType(std::span<const std::uint8_t> head, std::u16string_view extension)
{
    const std::u16string ext = AsciiLower(extension);
    if (ext == u".com" || ext == u".bat" || ext == u".cmd") return kMZ;
    if (ext != u".exe") return 0;
    const ImageHeader h = ReadImageHeader(head);
    switch (h.kind) {
    case ImageKind::PE:
        if (h.subsystem != kSubsystemWindowsGui) return kPESignature;
        return static_cast<std::uint32_t>(h.subsystemMajor & 0xFF) << 24 |
               static_cast<std::uint32_t>(h.subsystemMinor & 0xFF) << 16 | kPESignature;
    case ImageKind::NE:
        return static_cast<std::uint32_t>(h.expectedWindows) << 16 | kNESignature;
    case ImageKind::MZ:
        return kMZ;
    case ImageKind::None:
        break;
    }
    return 0;
}

std::optional<std::span<const std::uint8_t>> FindVersionResource(std::span<const std::uint8_t> image)
{
    const PEHeaders h = ReadPEHeaders(image);
    if (!h.ok) return FindNEVersionResource(image);
    if (h.resourceRva == 0) return std::nullopt;
    const auto dir = MapRva(image, h, h.resourceRva);
    if (dir.empty()) return std::nullopt;

    // Three levels: type (RT_VERSION), name (the first), language (the first). The first
    // two must lead to subdirectories, the last to a data entry.
    std::uint32_t offset = 0;
    for (int level = 0; level < 3; ++level) {
        const auto entry = DirectoryEntry(dir, offset, level == 0 ? std::optional<std::uint32_t>(kRTVersion)
                                                                  : std::nullopt);
        if (!entry) return std::nullopt;
        const bool subdirectory = (*entry & kHighBit) != 0;
        if (subdirectory != (level < 2)) return std::nullopt;
        offset = *entry & ~kHighBit;
    }
    // IMAGE_RESOURCE_DATA_ENTRY: +0 OffsetToData (an RVA), +4 Size.
    ByteReader r(dir);
    r.seek(offset);
    const std::uint32_t dataRva = r.u32le();
    const std::uint32_t dataSize = r.u32le();
    if (!r.ok() || dataSize == 0) return std::nullopt;
    const auto data = MapRva(image, h, dataRva);
    if (data.size() < dataSize) return std::nullopt;
    return data.first(dataSize);
}

}  // namespace modPEImage
