// Windows executable headers and the PE resource directory. Layouts as Microsoft's PE/COFF
// documentation ("PE Format") and the NE format documentation give them; offsets in the
// comments are relative to the structure named.
#include "filelib/modPEImage.h"

#include <algorithm>
#include <string>

#include "common/ByteReader.h"
#include "common/Utf16.h"

using Hollin0106::ByteReader;

namespace modPEImage {
namespace {

constexpr std::uint16_t kMZ = 0x5A4D;               // "MZ"
constexpr std::uint32_t kPESignature = 0x00004550;  // "PE\0\0"
constexpr std::uint16_t kNESignature = 0x454E;      // "NE"
constexpr std::uint16_t kLESignature = 0x454C;      // "LE"
constexpr std::uint16_t kLXSignature = 0x584C;      // "LX"
constexpr std::size_t kDosHeaderSize = 0x40;        // e_lfanew at +3Ch
constexpr std::uint16_t kPE32Magic = 0x10B;
constexpr std::uint16_t kPE32PlusMagic = 0x20B;
constexpr std::uint16_t kImageFileDll = 0x2000;     // COFF Characteristics
constexpr std::uint16_t kNELibraryModule = 0x8000;  // NE program flags
constexpr std::size_t kNEHeaderSize = 0x40;
constexpr std::uint32_t kResourceDirectoryIndex = 2;
constexpr std::uint32_t kRTVersion = 16;
constexpr std::uint32_t kVersionInfoId = 1;  // VS_VERSION_INFO
constexpr std::uint16_t kLanguageNeutral = 0x0000;
constexpr std::uint16_t kEnglishUnitedStates = 0x0409;
constexpr std::uint32_t kHighBit = 0x80000000u;
// A version block counts its length in 16 bits.
constexpr std::size_t kLargestBlock = 0xFFFF;
// An NE resource table lies between its own offset and the resident-name table's,
// both 16-bit offsets from the NE header.
constexpr std::size_t kLargestNETable = 0x10000;

// Exactly `count` bytes at `offset`, or nothing when the image holds fewer there.
std::optional<std::vector<std::uint8_t>> ReadExactly(ImageSource& image, std::uint64_t offset, std::size_t count)
{
    std::vector<std::uint8_t> out;
    if (!image.Read(offset, count, out) || out.size() != count) return std::nullopt;
    return out;
}

struct Section {
    std::uint32_t virtualAddress = 0;
    std::uint32_t rawSize = 0;
    std::uint32_t rawOffset = 0;
};

// The DOS header's offset of the new-style header, or nothing when the file does not
// start with "MZ" (`isMZ` false) or is too short to hold one.
std::optional<std::uint32_t> NewHeaderOffset(ImageSource& image, bool& isMZ)
{
    std::vector<std::uint8_t> dos;
    isMZ = false;
    if (!image.Read(0, kDosHeaderSize, dos)) return std::nullopt;
    ByteReader r(dos);
    isMZ = r.u16le() == kMZ && r.ok();
    if (!isMZ) return std::nullopt;
    r.seek(0x3C);
    const std::uint32_t lfanew = r.u32le();
    if (!r.ok()) return std::nullopt;
    return lfanew;
}

// What a PE image's headers say, as far as they are needed here.
struct PEHeaders {
    std::uint16_t characteristics = 0;
    std::uint16_t subsystem = 0;
    std::uint16_t subsystemMajor = 0;
    std::uint16_t subsystemMinor = 0;
    std::uint32_t resourceRva = 0;
    std::uint32_t resourceSize = 0;
    std::uint64_t sectionTable = 0;  // file offset
    std::uint16_t sectionCount = 0;
};

// The PE headers at `lfanew`; nothing when "PE\0\0" is not there, or the COFF or
// optional header is cut off or of an unknown kind.
std::optional<PEHeaders> ReadPEHeaders(ImageSource& image, std::uint32_t lfanew)
{
    // "PE\0\0", then the COFF header (20 bytes): +2 NumberOfSections, +16
    // SizeOfOptionalHeader, +18 Characteristics.
    const auto coff = ReadExactly(image, lfanew, 24);
    if (!coff) return std::nullopt;
    ByteReader c(*coff);
    if (c.u32le() != kPESignature) return std::nullopt;
    PEHeaders h;
    c.skip(2);
    h.sectionCount = c.u16le();
    c.skip(12);
    const std::uint16_t optionalSize = c.u16le();
    h.characteristics = c.u16le();
    // Optional header: +0 Magic, +48 MajorSubsystemVersion, +50 MinorSubsystemVersion,
    // +68 Subsystem (same offsets in PE32 and PE32+); NumberOfRvaAndSizes at +92 (PE32)
    // or +108 (PE32+), the 8-byte data directories (RVA, Size) after it. Only what lies
    // inside SizeOfOptionalHeader counts.
    std::vector<std::uint8_t> optional;
    if (!image.Read(std::uint64_t{lfanew} + 24, std::min<std::size_t>(optionalSize, 256), optional)) return std::nullopt;
    ByteReader o(optional);
    const std::uint16_t magic = o.u16le();
    std::size_t countOffset = 0;
    if (magic == kPE32Magic) countOffset = 92;
    else if (magic == kPE32PlusMagic) countOffset = 108;
    else return std::nullopt;
    o.seek(48);
    h.subsystemMajor = o.u16le();
    h.subsystemMinor = o.u16le();
    o.seek(68);
    h.subsystem = o.u16le();
    if (!o.ok()) return std::nullopt;
    // A header without the resource directory's entry has no resources.
    const std::size_t entryOffset = countOffset + 4 + 8 * kResourceDirectoryIndex;
    o.seek(countOffset);
    const std::uint32_t directoryCount = o.u32le();
    if (o.ok() && directoryCount > kResourceDirectoryIndex && entryOffset + 8 <= optionalSize) {
        o.seek(entryOffset);
        h.resourceRva = o.u32le();
        h.resourceSize = o.u32le();
        if (!o.ok()) h.resourceRva = h.resourceSize = 0;
    }
    h.sectionTable = std::uint64_t{lfanew} + 24 + optionalSize;
    return h;
}

std::optional<std::vector<Section>> ReadSections(ImageSource& image, const PEHeaders& h)
{
    // Section header (40 bytes): +12 VirtualAddress, +16 SizeOfRawData, +20 PointerToRawData.
    const auto table = ReadExactly(image, h.sectionTable, std::size_t{40} * h.sectionCount);
    if (!table) return std::nullopt;
    std::vector<Section> sections(h.sectionCount);
    ByteReader r(*table);
    for (auto& s : sections) {
        const std::size_t start = r.offset();
        r.skip(12);
        s.virtualAddress = r.u32le();
        s.rawSize = r.u32le();
        s.rawOffset = r.u32le();
        r.seek(start + 40);
    }
    if (!r.ok()) return std::nullopt;
    return sections;
}

// Where the bytes at `rva` lie in the file: their offset and how many of the section's
// raw data follow from there. Nothing when no section holds `rva` in its raw data.
struct FileRange {
    std::uint64_t offset = 0;
    std::uint32_t length = 0;
};
std::optional<FileRange> MapRva(const std::vector<Section>& sections, std::uint32_t rva)
{
    for (const Section& s : sections) {
        if (s.rawSize == 0 || rva < s.virtualAddress || rva - s.virtualAddress >= s.rawSize) continue;
        const std::uint32_t delta = rva - s.virtualAddress;
        return FileRange{std::uint64_t{s.rawOffset} + delta, s.rawSize - delta};
    }
    return std::nullopt;
}

// One entry of a resource directory: Name (the high bit: a string's offset, else an
// ID) and OffsetToData (the high bit: a subdirectory).
struct DirectoryEntry {
    std::uint32_t name = 0;
    std::uint32_t data = 0;
    bool HasId(std::uint32_t id) const { return (name & kHighBit) == 0 && name == id; }
    bool IsDirectory() const { return (data & kHighBit) != 0; }
};

// The entries of the resource directory at `offset` of the resource section
// (`resources`: where it starts in the file, and how long it is).
std::optional<std::vector<DirectoryEntry>> ReadDirectory(ImageSource& image, const FileRange& resources,
                                                         std::uint32_t offset)
{
    // IMAGE_RESOURCE_DIRECTORY (16 bytes): +12 NumberOfNamedEntries, +14
    // NumberOfIdEntries; the 8-byte entries follow, named ones first.
    if (offset > resources.length || resources.length - offset < 16) return std::nullopt;
    const auto header = ReadExactly(image, resources.offset + offset, 16);
    if (!header) return std::nullopt;
    ByteReader h(*header);
    h.seek(12);
    const std::size_t count = std::size_t{h.u16le()} + h.u16le();
    const std::size_t bytes = count * 8;
    if (resources.length - offset - 16 < bytes) return std::nullopt;
    const auto raw = ReadExactly(image, resources.offset + offset + 16, bytes);
    if (!raw) return std::nullopt;
    std::vector<DirectoryEntry> entries(count);
    ByteReader r(*raw);
    for (auto& e : entries) {
        e.name = r.u32le();
        e.data = r.u32le();
    }
    if (!r.ok()) return std::nullopt;
    return entries;
}

// The block at `offset`, at most `room` bytes: as long as its first word (wLength) says.
std::optional<std::vector<std::uint8_t>> ReadBlock(ImageSource& image, std::uint64_t offset, std::uint64_t room)
{
    const auto head = ReadExactly(image, offset, 2);
    if (!head) return std::nullopt;
    ByteReader r(*head);
    const std::size_t length = std::min<std::uint64_t>({r.u16le(), room, kLargestBlock});
    if (length == 0) return std::nullopt;
    return ReadExactly(image, offset, length);
}

std::optional<std::vector<std::uint8_t>> ReadPEVersion(ImageSource& image, const PEHeaders& h,
                                                       std::uint16_t uiLanguage)
{
    if (h.resourceRva == 0) return std::nullopt;
    const auto sections = ReadSections(image, h);
    if (!sections) return std::nullopt;
    const auto resources = MapRva(*sections, h.resourceRva);
    if (!resources) return std::nullopt;

    // Three levels: type (RT_VERSION) and name (ID 1) lead to subdirectories, the
    // language to a data entry.
    const auto types = ReadDirectory(image, *resources, 0);
    if (!types) return std::nullopt;
    const auto type = std::find_if(types->begin(), types->end(), [](const auto& e) { return e.HasId(kRTVersion); });
    if (type == types->end() || !type->IsDirectory()) return std::nullopt;
    const auto names = ReadDirectory(image, *resources, type->data & ~kHighBit);
    if (!names) return std::nullopt;
    const auto name = std::find_if(names->begin(), names->end(), [](const auto& e) { return e.HasId(kVersionInfoId); });
    if (name == names->end() || !name->IsDirectory()) return std::nullopt;
    const auto languages = ReadDirectory(image, *resources, name->data & ~kHighBit);
    if (!languages || languages->empty()) return std::nullopt;
    auto language = languages->end();
    for (const std::uint16_t wanted : {kLanguageNeutral, uiLanguage, kEnglishUnitedStates}) {
        language = std::find_if(languages->begin(), languages->end(), [&](const auto& e) { return e.HasId(wanted); });
        if (language != languages->end()) break;
    }
    if (language == languages->end()) language = languages->begin();
    if (language->IsDirectory()) return std::nullopt;

    // IMAGE_RESOURCE_DATA_ENTRY (16 bytes): +0 OffsetToData (an RVA), +4 Size.
    if (language->data > resources->length || resources->length - language->data < 16) return std::nullopt;
    const auto entry = ReadExactly(image, resources->offset + language->data, 8);
    if (!entry) return std::nullopt;
    ByteReader r(*entry);
    const std::uint32_t dataRva = r.u32le();
    const std::uint32_t dataSize = r.u32le();
    const auto data = MapRva(*sections, dataRva);
    if (!data || dataSize == 0 || data->length < dataSize) return std::nullopt;
    return ReadBlock(image, data->offset, dataSize);
}

// The version resource of an NE image: the resource named by ID 1 of type RT_VERSION.
// NE header: +24h offset of the resource table, +26h offset of the resident-name table
// (both from the NE header). Resource table: +0 alignment shift, then type records (+0
// type ID, 8000h set for a numbered type, 0 ends the table; +2 resource count; 4 reserved
// bytes) each followed by its 12-byte resource records (+0 offset and +2 length, both in
// units of 1 << shift; +4 flags; +6 ID, 8000h set for a numbered one).
std::optional<std::vector<std::uint8_t>> ReadNEVersion(ImageSource& image, std::uint32_t lfanew,
                                                       std::span<const std::uint8_t> neHeader)
{
    ByteReader h(neHeader);
    h.seek(0x24);
    const std::uint16_t tableOffset = h.u16le();
    const std::uint16_t residentNames = h.u16le();
    if (!h.ok()) return std::nullopt;
    const std::size_t tableLength = residentNames > tableOffset ? residentNames - tableOffset : kLargestNETable;
    std::vector<std::uint8_t> table;
    if (!image.Read(std::uint64_t{lfanew} + tableOffset, tableLength, table)) return std::nullopt;
    ByteReader r(table);
    const std::uint16_t shift = r.u16le();
    if (!r.ok() || shift > 16) return std::nullopt;
    // Each type record moves forward by at least 8 bytes, so the walk ends at the end of
    // the table at the latest.
    for (;;) {
        const std::uint16_t type = r.u16le();
        const std::uint16_t count = r.u16le();
        r.skip(4);
        if (!r.ok() || type == 0) return std::nullopt;
        for (std::uint16_t i = 0; i < count; ++i) {
            const std::uint64_t offset = std::uint64_t{r.u16le()} << shift;
            const std::uint64_t length = std::uint64_t{r.u16le()} << shift;
            r.skip(2);
            const std::uint16_t id = r.u16le();
            r.skip(4);
            if (!r.ok()) return std::nullopt;
            if (type == (0x8000 | kRTVersion) && id == (0x8000 | kVersionInfoId) && length != 0)
                return ReadBlock(image, offset, length);
        }
    }
}

}  // namespace

ImageHeader ReadImageHeader(ImageSource& image)
{
    ImageHeader out;
    bool isMZ = false;
    const auto lfanew = NewHeaderOffset(image, isMZ);
    if (!isMZ) return out;
    out.kind = ImageKind::MZ;
    if (!lfanew) return out;
    std::vector<std::uint8_t> header;
    if (!image.Read(*lfanew, kNEHeaderSize, header)) return out;
    ByteReader r(header);
    const std::uint16_t signature = r.u16le();
    if (!r.ok()) return out;
    if (signature == kNESignature) {
        // NE header: +0Ch program flags, +36h target operating system, +3Eh expected
        // Windows version (minor byte, then major byte).
        r.seek(0x0C);
        const std::uint16_t flags = r.u16le();
        r.seek(0x36);
        const std::uint8_t targetOS = r.u8();
        r.seek(0x3E);
        const std::uint16_t expected = r.u16le();
        if (!r.ok()) return out;
        out.kind = ImageKind::NE;
        out.library = (flags & kNELibraryModule) != 0;
        out.targetOS = targetOS;
        out.expectedWindows = expected;
        return out;
    }
    if (signature == kLESignature || signature == kLXSignature) {
        out.kind = ImageKind::Other;
        return out;
    }
    const auto pe = ReadPEHeaders(image, *lfanew);
    if (!pe) return out;
    out.kind = ImageKind::PE;
    out.library = (pe->characteristics & kImageFileDll) != 0;
    out.subsystem = pe->subsystem;
    out.subsystemMajor = pe->subsystemMajor;
    out.subsystemMinor = pe->subsystemMinor;
    return out;
}

std::uint32_t ShellExeType(ImageSource& image, std::u16string_view extension)
{
    const std::u16string ext = AsciiLower(extension);
    if (ext == u".bat" || ext == u".cmd") return kPESignature;
    const ImageHeader h = ReadImageHeader(image);
    switch (h.kind) {
    case ImageKind::PE:
        if (h.library) return 0;
        if (h.subsystem == kSubsystemWindowsConsole) return kPESignature;
        if (h.subsystem != kSubsystemWindowsGui) return 0;
        return static_cast<std::uint32_t>(h.subsystemMajor & 0xFF) << 24 |
               static_cast<std::uint32_t>(h.subsystemMinor & 0xFF) << 16 | kPESignature;
    case ImageKind::NE:
        // Target systems: 0 unknown (early Windows programs), 2 Windows, 4 Windows/386;
        // 1 is OS/2, and the others are no Windows either.
        if (h.library || (h.targetOS != 0 && h.targetOS != 2 && h.targetOS != 4)) return 0;
        return static_cast<std::uint32_t>(h.expectedWindows) << 16 | kNESignature;
    case ImageKind::MZ:
        return kMZ;
    case ImageKind::None:
        // A .com program is a memory image without any header.
        return ext == u".com" ? kMZ : 0;
    case ImageKind::Other:
        break;
    }
    return 0;
}

std::optional<std::vector<std::uint8_t>> ReadVersionResource(ImageSource& image, std::uint16_t uiLanguage)
{
    bool isMZ = false;
    const auto lfanew = NewHeaderOffset(image, isMZ);
    if (!lfanew) return std::nullopt;
    if (const auto pe = ReadPEHeaders(image, *lfanew)) return ReadPEVersion(image, *pe, uiLanguage);
    const auto ne = ReadExactly(image, *lfanew, kNEHeaderSize);
    if (!ne || ByteReader(*ne).u16le() != kNESignature) return std::nullopt;
    return ReadNEVersion(image, *lfanew, *ne);
}

}  // namespace modPEImage
