// Reading and writing Descript.ion lines.
#include "filelib/modDescriptIon.h"

#include <algorithm>

#include "common/Utf16.h"
#include "filelib/modTextLines.h"
#include "support/CodePages.h"
#include "support/TextCase.h"

namespace modDescriptIon {

namespace {

using Bytes = std::span<const std::uint8_t>;
constexpr std::uint8_t kQuote = '"';
constexpr std::uint8_t kUtf8Mark[] = {0xEF, 0xBB, 0xBF};

bool IsBlank(std::uint8_t b)
{
    return b == ' ' || b == '\t';
}

std::u16string Decode(Bytes bytes, bool utf8Mode)
{
    if (!utf8Mode) return codepages::Decode(bytes, codepages::HostOemCodePage());
    const std::string_view raw(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::u16string text = FromUtf8(raw);
    // Ill-formed UTF-8 does not come back unchanged; such text stays as it was read.
    if (ToUtf8(text) != raw) return codepages::Decode(bytes, codepages::HostAnsiCodePage());
    return text;
}

void Encode(std::u16string_view text, bool utf8Mode, std::vector<std::uint8_t>& out)
{
    if (utf8Mode) {
        const std::string bytes = ToUtf8(text);
        out.insert(out.end(), bytes.begin(), bytes.end());
    } else {
        codepages::Encode(text, codepages::HostOemCodePage(), out);
    }
}

}  // namespace

std::optional<std::size_t> FindEntry(const std::vector<Entry>& entries, std::u16string_view name)
{
    const auto it = std::find_if(entries.begin(), entries.end(),
                                 [&](const Entry& e) { return EqualsIgnoringCase(e.FileName, name); });
    if (it == entries.end()) return std::nullopt;
    return static_cast<std::size_t>(it - entries.begin());
}

std::optional<Entry> ParseDescriptionLine(Bytes line, bool utf8Mode)
{
    if (line.empty() || IsBlank(line.front())) return std::nullopt;
    const auto from = line.front() == kQuote ? line.begin() + 1 : line.begin();
    const auto separator = line.front() == kQuote ? std::find(from, line.end(), kQuote)
                                                  : std::find_if(from, line.end(), IsBlank);
    if (separator == line.end()) return std::nullopt;
    const auto at = static_cast<std::size_t>(separator - line.begin());
    Bytes name = line.first(at);
    if (!name.empty() && name.front() == kQuote) name = name.subspan(1);
    if (!name.empty() && name.back() == kQuote) name = name.first(name.size() - 1);
    if (name.empty()) return std::nullopt;
    const Bytes description = modTextLines::TrimBlanks(line.subspan(at + 1));
    if (description.size() == 1 && description.front() == kQuote) return std::nullopt;
    return Entry{Decode(name, utf8Mode), Decode(description, utf8Mode)};
}

Contents Parse(Bytes bytes)
{
    Contents contents;
    const std::vector<modTextLines::Line> lines = modTextLines::SplitLines(bytes);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        Bytes text = lines[i].text;
        if (i == 0) {
            contents.UTF8Mode = text.size() >= sizeof kUtf8Mark && std::equal(kUtf8Mark, std::end(kUtf8Mark), text.begin());
            if (contents.UTF8Mode) text = text.subspan(sizeof kUtf8Mark);
        }
        auto entry = ParseDescriptionLine(text, contents.UTF8Mode);
        if (entry && !FindEntry(contents.Entries, entry->FileName)) contents.Entries.push_back(std::move(*entry));
    }
    return contents;
}

std::vector<std::uint8_t> Format(const std::vector<Entry>& entries, bool utf8Mode)
{
    std::vector<std::uint8_t> out;
    if (entries.empty()) return out;
    if (utf8Mode) out.assign(std::begin(kUtf8Mark), std::end(kUtf8Mark));
    std::vector<std::uint8_t> name;
    for (const Entry& entry : entries) {
        name.clear();
        Encode(entry.FileName, utf8Mode, name);
        const bool quoted = std::any_of(name.begin(), name.end(), IsBlank);
        if (quoted) out.push_back(kQuote);
        out.insert(out.end(), name.begin(), name.end());
        if (quoted) out.push_back(kQuote);
        out.push_back(' ');
        Encode(entry.Description, utf8Mode, out);
        out.push_back(0x0D);
        out.push_back(0x0A);
    }
    return out;
}

}  // namespace modDescriptIon
