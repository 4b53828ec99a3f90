// The Windows images built from tests/filelib/versions/*.rc, read whole for the tests.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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

}  // namespace versiontest
