// Reads the headers of Windows executables (MZ, NE, PE32, PE32+) and finds their version
// resource. Pure code: the bytes come from an ImageSource, read where the headers say and
// no more (the headers, the resource directory, the block), so a lying size costs
// nothing; every read of them goes through ByteReader, so a size, offset or count that
// points outside the file ends the search, never reads there.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace modPEImage {

// Where the bytes of an image come from, read at offsets (a file's pread).
class ImageSource {
public:
    virtual ~ImageSource() = default;
    // Up to `count` bytes from `offset` into `out` (resized to what arrived): fewer only
    // where the image ends, none at or past its end. False when the bytes cannot be had
    // (a read error); `out` is then of no use.
    virtual bool Read(std::uint64_t offset, std::size_t count, std::vector<std::uint8_t>& out) = 0;
};

// An image already in memory. (Defined here, like ImageSource, so that the library and a
// program holding the same code carry no two strong copies of the class's type data.)
class SpanSource final : public ImageSource {
public:
    explicit SpanSource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    bool Read(std::uint64_t offset, std::size_t count, std::vector<std::uint8_t>& out) override
    {
        out.clear();
        if (offset >= bytes_.size()) return true;
        const auto start = static_cast<std::size_t>(offset);
        const auto part = bytes_.subspan(start, std::min(count, bytes_.size() - start));
        out.assign(part.begin(), part.end());
        return true;
    }

private:
    std::span<const std::uint8_t> bytes_;
};

enum class ImageKind {
    None,   // no "MZ" at the start
    MZ,     // an MS-DOS program: no new-style header, or one that cannot be read
    NE,     // 16-bit Windows or OS/2
    PE,     // PE32 or PE32+
    Other,  // another new-style header (LE, LX: OS/2 2.x, virtual device drivers)
};

// What the headers say about the program the file holds.
struct ImageHeader {
    ImageKind kind = ImageKind::None;
    bool library = false;                // PE: IMAGE_FILE_DLL; NE: a library module
    std::uint16_t subsystem = 0;         // PE: IMAGE_SUBSYSTEM_* (2 GUI, 3 console)
    std::uint16_t subsystemMajor = 0;    // PE: the subsystem version the image needs
    std::uint16_t subsystemMinor = 0;
    std::uint8_t targetOS = 0;           // NE: 1 OS/2, 2 Windows, 4 Windows/386, 0 unknown
    std::uint16_t expectedWindows = 0;   // NE: the expected Windows version (major high byte)
};

inline constexpr std::uint16_t kSubsystemWindowsGui = 2;
inline constexpr std::uint16_t kSubsystemWindowsConsole = 3;

// The kind of image the file holds: "MZ" with "PE\0\0", "NE", "LE" or "LX" at the offset in
// the DOS header's e_lfanew field (wherever in the file it points) a program of that kind;
// "MZ" alone, or with a new-style header that is cut off, an MS-DOS program. Kind None
// when the file does not start with "MZ" or cannot be read.
ImageHeader ReadImageHeader(ImageSource& image);

// The executable type of a file as the Windows shell answers it (SHGetFileInfo with
// SHGFI_EXETYPE): the signature's letters in the low word (low byte first) and the
// Windows version the program needs in the high word (major in the high byte). Decided
// by the header: a Windows GUI program "PE" (not a DLL) or "NE" (a Windows program, not
// a library) with its subsystem or expected Windows version; a console program "PE" 0;
// an MS-DOS program "MZ" 0; anything else 0 (DLLs, OS/2 and LE/LX programs, fonts,
// data). The extension counts only where Windows lets it: `.bat` and `.cmd` (batch
// files, answered "PE" 0 like console programs) whatever they hold, and a `.com` file
// without an "MZ" header, an MS-DOS program. `extension` with its dot, any case.
std::uint32_t ShellExeType(ImageSource& image, std::u16string_view extension);

// The bytes of the version resource of the PE32, PE32+ or NE image, chosen as the
// Windows version functions choose: type RT_VERSION, name ID 1 (a resource under
// another ID or a string name does not count), and among its languages the neutral one
// (0), then `uiLanguage`, then English (United States) 0x0409, then the first. The
// result is the VS_VERSIONINFO block (16-bit layout in an NE image) as long as its own
// length says, cut where the resource's size ends (an NE resource's alignment padding
// is not part of it). Nothing when the file is no such image, has no such resource, or
// when any header, directory entry or data entry points outside the file; the
// directory walk is three levels deep, so a directory that points back at itself ends
// it too. What is read is bounded by the headers' fixed sizes, the directories' entry
// counts and 64 KiB for the block: never a section's claimed size.
std::optional<std::vector<std::uint8_t>> ReadVersionResource(ImageSource& image, std::uint16_t uiLanguage);

}  // namespace modPEImage
