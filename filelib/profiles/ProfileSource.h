// Private profiles (INI text) in a named stream of a file: the service the zone
// functions read and write through.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace profiles {

// INI text in stream `stream` of file `path` ("F:Zone.Identifier"). Windows: the system's
// private-profile functions on "path:stream" (ProfileSource_win32.cpp). Elsewhere: the
// library's own INI code over the stream (ProfileSource_portable.cpp). Section and key
// names are compared without regard to case. The text is in the ANSI code page, or in the encoding its byte-order
// mark names (UTF-16 in either byte order, UTF-8).

// The leading number of the key's value; `defaultValue` when the file, the stream, the
// section or the key is missing, or the value starts with no number.
std::int32_t ReadInt(const std::u16string& path, const std::u16string& stream, std::u16string_view section,
                     std::u16string_view key, std::int32_t defaultValue);

// True when the section of the stream holds the key.
bool KeyExists(const std::u16string& path, const std::u16string& stream, std::u16string_view section,
               std::u16string_view key);

// Sets the key to `*value` (the stream, section and key are made as needed), or with no
// value removes the key (the section header stays). Other sections and keys stay, and a
// stream in UTF-16 or UTF-8 with a byte-order mark stays in its encoding. A file with the
// read-only attribute is refused and its stream stays as it was. True when the stream
// holds the result.
bool WriteString(const std::u16string& path, const std::u16string& stream, std::u16string_view section,
                 std::u16string_view key, const std::u16string* value);

}  // namespace profiles
