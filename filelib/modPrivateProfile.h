// INI text ("private profiles") over bytes, with the behaviour callers of the Windows
// profile functions rely on: the text is UTF-16 (either byte order) or UTF-8 when it
// starts with that byte-order mark, else in the host's ANSI code page; section and key
// names compared without regard to case, values trimmed of blanks, lines ending in
// CR LF, CR or LF. Writing changes only the one line it must, in the text's own
// encoding: the mark and every other section, key, comment and line end stay byte for
// byte, in their order. Pure functions.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace modPrivateProfile {

// The value of `key` in `section` (the first such section and key), trimmed; nothing
// when either is missing. Lines before the first section header, and lines starting
// with ";", hold no keys.
std::optional<std::u16string> GetString(std::span<const std::uint8_t> ini, std::u16string_view section,
                                        std::u16string_view key);

// The leading decimal number of `text` (an optional sign, then digits), taken modulo
// 2^32 as a signed value; nothing when `text` does not start so.
std::optional<std::int32_t> LeadingInteger(std::u16string_view text);

// The leading number of the key's value; `defaultValue` when the key is missing or its
// value does not start with a number.
std::int32_t GetInt(std::span<const std::uint8_t> ini, std::u16string_view section, std::u16string_view key,
                    std::int32_t defaultValue);

// True when `section` holds `key`.
bool KeyExists(std::span<const std::uint8_t> ini, std::u16string_view section, std::u16string_view key);

// The text with `key` of `section` set to `*value`: the key's line replaced in place
// (keeping its line end), or the key added after the last non-blank line of the
// section, or the section added at the end with the key. With no value the key's line
// is removed; a missing key or section then leaves the text unchanged. New lines end
// in CR LF. A new text is ANSI and reads "[ZoneTransfer]" CR LF "ZoneId=3" CR LF, as
// Windows writes it.
std::vector<std::uint8_t> WriteString(std::span<const std::uint8_t> ini, std::u16string_view section,
                                      std::u16string_view key, const std::u16string* value);

}  // namespace modPrivateProfile
