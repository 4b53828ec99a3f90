// Reads the headers of Windows executables (MZ, NE, PE32, PE32+) and finds their version
// resource. Pure code over the file's bytes; every read goes through ByteReader, so a
// size, offset or count that points outside the bytes ends the search, never reads there.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace modPEImage {

enum class ImageKind { None, MZ, NE, PE };

// What the headers say about the program the file holds.
struct ImageHeader {
    ImageKind kind = ImageKind::None;
    std::uint16_t subsystem = 0;         // PE: IMAGE_SUBSYSTEM_* (2 GUI, 3 console)
    std::uint16_t subsystemMajor = 0;    // PE: the subsystem version the image needs
    std::uint16_t subsystemMinor = 0;
    std::uint16_t expectedWindows = 0;   // NE: the expected Windows version (major high byte)
};

inline constexpr std::uint16_t kSubsystemWindowsGui = 2;

// The kind of image `image` (the file's first bytes; the headers lie within the first
// few kilobytes) holds: "MZ" alone is a DOS program, "MZ" with "NE" or "PE\0\0" at the
// offset in the DOS header's e_lfanew field a Windows program. Kind None when the bytes
// do not start with "MZ"; a new-style header that is cut off or unknown gives MZ.
ImageHeader ReadImageHeader(std::span<const std::uint8_t> image);

// How many bytes from the start of the file hold the headers and the raw data of every
// section of the PE image whose first bytes are `head` (which must hold the section
// table; 64 KiB always do for images a loader accepts). Data appended after the image (an
// installer's payload) lies beyond. Nothing when `head` holds no complete PE header.
std::optional<std::uint64_t> ImageExtent(std::span<const std::uint8_t> head);

// The executable type of a file in the layout of the Windows shell's answer: the
// signature's letters in the low word (low byte first) and the Windows version the
// program needs in the high word (major in the high byte). By the file's extension
// (without regard to case): ".com", ".bat" and ".cmd" are "MZ" programs; an ".exe" is
// what its header says: a PE image for the GUI subsystem "PE" with its subsystem version,
// any other PE image "PE" with version 0, an NE image "NE" with its expected Windows
// version, an MZ program "MZ"; anything else, and an ".exe" that is no program, 0.
// `head` is the file's first bytes (4 KiB hold every header read here).
std::uint32_t ShellExeType(std::span<const std::uint8_t> head, std::u16string_view extension);

// The bytes of the first RT_VERSION resource (any name, any language) of the PE32, PE32+
// or NE image in `image` (the whole file): the VS_VERSIONINFO block (16-bit layout in an
// NE image), a sub-span of `image`. Nothing when the file is no such image, has no such
// resource, or when any header, directory entry or data entry points outside the file;
// the directory walk is three levels deep at most, so a directory that points back at
// itself ends it too.
std::optional<std::span<const std::uint8_t>> FindVersionResource(std::span<const std::uint8_t> image);

}  // namespace modPEImage
