// The Windows images built from tests/filelib/versions/*.rc, read whole for the tests, and
// the changes the tests make to them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/fixtures/Bytes.h"

namespace versiontest {

// A name in the folder of the built images; a full name stands for itself.
inline std::filesystem::path ImagePath(const std::string& name)
{
    return std::filesystem::path(TAGSCOPE_VERSION_IMAGES) / name;
}

inline std::vector<std::uint8_t> ReadImage(const std::string& name)
{
    std::ifstream in(ImagePath(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteImage(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

using testbytes::PutLE;

// The PE image with its headers ("PE\0\0", COFF and optional header, section table)
// moved to `at` (past the end of the image), where e_lfanew then points; the sections
// stay where they are.
inline std::vector<std::uint8_t> WithHeadersAt(std::vector<std::uint8_t> image, std::size_t at)
{
    const std::size_t lfanew = U32(image, 0x3C);
    const std::size_t sections = image[lfanew + 6] | image[lfanew + 7] << 8;
    const std::size_t optional = image[lfanew + 20] | image[lfanew + 21] << 8;
    const std::size_t length = 24 + optional + 40 * sections;
    const std::vector<std::uint8_t> headers(image.begin() + static_cast<std::ptrdiff_t>(lfanew),
                                            image.begin() + static_cast<std::ptrdiff_t>(lfanew + length));
    image.resize(at, 0);
    image.insert(image.end(), headers.begin(), headers.end());
    PutLE(image, 0x3C, static_cast<std::uint32_t>(at));
    return image;
}

// The file offset of the section header named `name` (8 bytes, zero-padded).
inline std::size_t SectionHeader(const std::vector<std::uint8_t>& image, const std::string& name)
{
    std::string padded = name;
    padded.resize(8, '\0');
    const std::size_t lfanew = U32(image, 0x3C);
    const std::size_t count = image[lfanew + 6] | image[lfanew + 7] << 8;
    const std::size_t table = lfanew + 24 + (image[lfanew + 20] | image[lfanew + 21] << 8);
    for (std::size_t i = 0; i < count; ++i)
        if (std::equal(padded.begin(), padded.end(), image.begin() + static_cast<std::ptrdiff_t>(table + 40 * i)))
            return table + 40 * i;
    return 0;
}

}  // namespace versiontest
