// Builds reparse buffers field by field for the tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testbuf {

using Bytes = std::vector<std::uint8_t>;

inline void Put16(Bytes& b, std::uint32_t v)
{
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void Put32(Bytes& b, std::uint32_t v)
{
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
inline Bytes Utf16(const std::u16string& s)
{
    Bytes b;
    for (char16_t c : s) Put16(b, c);
    return b;
}

// Mount point (flags < 0) or symbolic link: substitute name then print name in the path
// area, each followed by a zero unit, as Windows stores them.
inline Bytes NameBuffer(std::uint32_t tag, const std::u16string& substitute, const std::u16string& print,
                        std::int64_t flags = -1)
{
    const Bytes area = Utf16(substitute + u'\0' + print + u'\0');
    const auto substituteLength = static_cast<std::uint32_t>(2 * substitute.size());
    Bytes b;
    Put32(b, tag);
    Put16(b, static_cast<std::uint32_t>((flags >= 0 ? 12 : 8) + area.size()));
    Put16(b, 0);
    Put16(b, 0);
    Put16(b, substituteLength);
    Put16(b, substituteLength + 2);
    Put16(b, static_cast<std::uint32_t>(2 * print.size()));
    if (flags >= 0) Put32(b, static_cast<std::uint32_t>(flags));
    b.insert(b.end(), area.begin(), area.end());
    return b;
}

inline Bytes MountPoint(const std::u16string& substitute, const std::u16string& print)
{
    return NameBuffer(0xA0000003, substitute, print);
}
inline Bytes Symlink(const std::u16string& substitute, const std::u16string& print, std::uint32_t flags)
{
    return NameBuffer(0xA000000C, substitute, print, flags);
}
inline Bytes LxSymlink(const std::string& target, std::uint32_t version = 2)
{
    Bytes b;
    Put32(b, 0xA000001D);
    Put16(b, static_cast<std::uint32_t>(4 + target.size()));
    Put16(b, 0);
    Put32(b, version);
    b.insert(b.end(), target.begin(), target.end());
    return b;
}
// Header only, then `payload` (data length = payload size).
inline Bytes Raw(std::uint32_t tag, const Bytes& payload)
{
    Bytes b;
    Put32(b, tag);
    Put16(b, static_cast<std::uint32_t>(payload.size()));
    Put16(b, 0);
    b.insert(b.end(), payload.begin(), payload.end());
    return b;
}

}  // namespace testbuf
