// Text forms and string helpers.
#include "support/quovixsupport.h"

#include <string>

#include "common/Utf16.h"

std::u16string asFormatLong(std::int32_t value)
{
    // Work in 64 bits so that INT32_MIN negates safely.
    const std::int64_t v = value;
    const std::string digits = std::to_string(v < 0 ? -v : v);
    std::u16string out;
    if (v < 0) out.push_back(u'-');
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out.push_back(u',');
        out.push_back(static_cast<char16_t>(digits[i]));
    }
    return out;
}

std::u16string asTrimCRLF(std::u16string_view text)
{
    while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n')) text.remove_suffix(1);
    return std::u16string(text);
}

std::u16string asGetStringFromPointerW(std::span<const std::uint8_t> bytes)
{
    std::u16string out;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto unit = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
        if (unit == 0) break;
        out.push_back(unit);
    }
    return out;
}

std::string asGetStringFromPointerA(std::span<const std::uint8_t> bytes)
{
    std::string out;
    for (const std::uint8_t b : bytes) {
        if (b == 0) break;
        out.push_back(static_cast<char>(b));
    }
    return out;
}

std::u16string asUTF8ToUNICODE(std::string_view utf8)
{
    return FromUtf8(utf8);
}

double asLargeIntegerToDouble(std::uint32_t low, std::uint32_t high)
{
    return static_cast<double>(static_cast<std::int64_t>(static_cast<std::uint64_t>(high) << 32 | low));
}
