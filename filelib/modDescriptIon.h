// The "Descript.ion" file format: one line per described file, the bare file name (in
// double quotes when it holds a space or a tab), one space, the description, CR LF;
// either in the host's OEM code page without a marker, or UTF-8 starting with EF BB BF.
// Pure functions over bytes and strings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace modDescriptIon {

struct Entry {
    std::u16string FileName;
    std::u16string Description;
    bool operator==(const Entry&) const = default;
};

// The index of the first entry whose name equals `name` without regard to letter case
// (every Unicode letter), or nothing.
std::optional<std::size_t> FindEntry(const std::vector<Entry>& entries, std::u16string_view name);

// One line of the file (without its line end), decoded as UTF-8 or as OEM text; nothing
// for a line that holds no entry: one starting with a space or a tab, one without a
// separator, one whose opening quote is not closed, one with an empty name, or one whose
// description is a lone double quote. Text that is not UTF-8 in UTF-8 mode is taken in
// the ANSI code page, as it stands.
std::optional<Entry> ParseDescriptionLine(std::span<const std::uint8_t> line, bool utf8Mode);

struct Contents {
    bool UTF8Mode = false;
    std::vector<Entry> Entries;
};

// Every entry of a whole file in file order; the first line for a name wins. Lines end
// at CR LF, a lone CR or a lone LF. UTF-8 mode when the file starts with EF BB BF.
Contents Parse(std::span<const std::uint8_t> bytes);

// The bytes of a file holding `entries`: in UTF-8 mode the marker and then UTF-8 lines,
// otherwise OEM text in which a character the code page cannot hold becomes "?". No
// entries give no bytes.
std::vector<std::uint8_t> Format(const std::vector<Entry>& entries, bool utf8Mode);

}  // namespace modDescriptIon
