// The "Descript.ion" file format: one line per described file, the bare file name (in
// double quotes when it holds a space or a tab), one space, the description, CR LF;
// either in the host's OEM code page without a marker, or UTF-8 starting with EF BB BF.
// A description of several lines takes the multi-line form other tools write (Total
// Commander's): each line break stands as the two characters "\n", a backslash as "\\",
// and the description ends in the bytes 04 C2 (a Ctrl-D and the tool's mark, as 4DOS
// lets tools add their own data after a description). Pure functions over bytes and
// strings.
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
// the ANSI code page, as it stands. A description in the multi-line form comes back
// with its line breaks as CR LF.
std::optional<Entry> ParseDescriptionLine(std::span<const std::uint8_t> line, bool utf8Mode);

struct Contents {
    bool UTF8Mode = false;
    std::vector<Entry> Entries;
};

// Every entry of a whole file in file order; the first line for a name wins. Lines end
// at CR LF, a lone CR or a lone LF. UTF-8 mode when the file starts with EF BB BF.
Contents Parse(std::span<const std::uint8_t> bytes);

// The line of one entry without its end, in UTF-8 or the OEM code page: the name, one
// space, the description, which takes the multi-line form when it holds a CR or an LF
// or would otherwise be read as something else (a lone double quote, an end in 04 C2).
// A character of the description that the OEM code page cannot hold becomes "?".
// Nothing when the name cannot be written so that it reads back as itself: it holds a
// CR or an LF (it would start a line of its own, an entry for another file), a double
// quote where the format cannot hold one, or a character the OEM code page lacks.
std::optional<std::vector<std::uint8_t>> FormatEntryLine(const Entry& entry, bool utf8Mode);

// The bytes of a file holding `entries`, written over `source`, the file as it was read
// (nothing for a new file): in UTF-8 mode the marker and then UTF-8 lines, otherwise
// OEM text. Every line of `source` that the change leaves alone comes back byte for
// byte, in its place, with its line end: the lines of the entries that still stand
// unchanged in the same order, and lines that hold no entry. The lines of entries
// removed or changed, and lines that a removed or changed entry shadowed, go; new and
// changed entries follow at the end, each line ending in CR LF. Only when the mode is
// not the one `source` was read in is every line written anew. No entries give no
// bytes. Nothing when an entry cannot be written (FormatEntryLine).
std::optional<std::vector<std::uint8_t>> Format(std::span<const std::uint8_t> source,
                                                const std::vector<Entry>& entries, bool utf8Mode);

}  // namespace modDescriptIon
