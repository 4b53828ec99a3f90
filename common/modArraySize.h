// Element count of a byte array as the report and the window program take it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace modArraySize {

// Number of elements; 0 for an empty array. Never fails.
inline std::int32_t GetArraySize(const std::vector<std::uint8_t>& array) noexcept
{
    return array.size() > static_cast<std::size_t>(INT32_MAX) ? 0 : static_cast<std::int32_t>(array.size());
}

}  // namespace modArraySize
