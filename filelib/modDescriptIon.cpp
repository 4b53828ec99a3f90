// Reading and writing Descript.ion lines.
#include "filelib/modDescriptIon.h"

#include <algorithm>

#include "common/Utf16.h"
#include "filelib/modTextLines.h"
#include "support/codepages/CodePages.h"
#include "common/text/TextCase.h"

namespace modDescriptIon {

namespace {

using Bytes = std::span<const std::uint8_t>;
constexpr std::uint8_t kQuote = '"';
constexpr std::uint8_t kUtf8Mark[] = {0xEF, 0xBB, 0xBF};
// The end of a description in the multi-line form.
constexpr std::uint8_t kMultiLineMark[] = {0x04, 0xC2};
constexpr std::uint8_t kCrLf[] = {0x0D, 0x0A};

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

bool EndsWithMultiLineMark(Bytes description)
{
    return description.size() >= sizeof kMultiLineMark &&
           std::equal(std::begin(kMultiLineMark), std::end(kMultiLineMark),
                      description.end() - static_cast<std::ptrdiff_t>(sizeof kMultiLineMark));
}

bool HoldsLineBreak(std::u16string_view text)
{
    return text.find_first_of(u"\r\n") != std::u16string_view::npos;
}

// The text of a description in the multi-line form: "\n" a line break (CR LF), "\\" a
// backslash; any other backslash stands for itself.
std::u16string Unescape(std::u16string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool escape = text[i] == u'\\' && i + 1 < text.size() && (text[i + 1] == u'n' || text[i + 1] == u'\\');
        if (!escape) {
            out.push_back(text[i]);
            continue;
        }
        out.append(text[i + 1] == u'n' ? u"\r\n" : u"\\");
        ++i;
    }
    return out;
}

// Unescape's inverse; CR LF, a lone CR and a lone LF each become one "\n".
std::u16string Escape(std::u16string_view text)
{
    std::u16string out;
    out.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\\') {
            out.append(u"\\\\");
        } else if (c == u'\r' || c == u'\n') {
            out.append(u"\\n");
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

void Append(Bytes bytes, std::vector<std::uint8_t>& out)
{
    out.insert(out.end(), bytes.begin(), bytes.end());
}

// One line of a file as read, and the entry it holds.
struct SourceLine {
    Bytes text;  // without its end; the first line without the UTF-8 marker
    Bytes end;
    std::optional<Entry> entry;
    bool shadowed = false;  // an earlier line holds an entry of the same name
};

struct Source {
    bool utf8 = false;
    std::vector<SourceLine> lines;
};

Source Scan(Bytes bytes)
{
    Source source;
    std::vector<Entry> standing;
    const std::vector<modTextLines::Line> lines = modTextLines::SplitLines(bytes);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        SourceLine line{lines[i].text, lines[i].end, std::nullopt, false};
        if (i == 0) {
            source.utf8 = line.text.size() >= sizeof kUtf8Mark &&
                          std::equal(std::begin(kUtf8Mark), std::end(kUtf8Mark), line.text.begin());
            if (source.utf8) line.text = line.text.subspan(sizeof kUtf8Mark);
        }
        line.entry = ParseDescriptionLine(line.text, source.utf8);
        if (line.entry) {
            line.shadowed = FindEntry(standing, line.entry->FileName).has_value();
            if (!line.shadowed) standing.push_back(*line.entry);
        }
        source.lines.push_back(std::move(line));
    }
    return source;
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
    if (EndsWithMultiLineMark(description))
        return Entry{Decode(name, utf8Mode),
                     Unescape(Decode(description.first(description.size() - sizeof kMultiLineMark), utf8Mode))};
    return Entry{Decode(name, utf8Mode), Decode(description, utf8Mode)};
}

Contents Parse(Bytes bytes)
{
    Source source = Scan(bytes);
    Contents contents;
    contents.UTF8Mode = source.utf8;
    for (SourceLine& line : source.lines)
        if (line.entry && !line.shadowed) contents.Entries.push_back(std::move(*line.entry));
    return contents;
}

std::optional<std::vector<std::uint8_t>> FormatEntryLine(const Entry& entry, bool utf8Mode)
{
    if (HoldsLineBreak(entry.FileName)) return std::nullopt;
    std::vector<std::uint8_t> line;
    Encode(entry.FileName, utf8Mode, line);
    if (std::any_of(line.begin(), line.end(), IsBlank)) {
        line.insert(line.begin(), kQuote);
        line.push_back(kQuote);
    }
    line.push_back(' ');
    const std::size_t description = line.size();
    Encode(entry.Description, utf8Mode, line);
    const Bytes plain = modTextLines::TrimBlanks(Bytes(line).subspan(description));
    if (HoldsLineBreak(entry.Description) || EndsWithMultiLineMark(plain) ||
        (plain.size() == 1 && plain.front() == kQuote)) {
        line.resize(description);
        Encode(Escape(entry.Description), utf8Mode, line);
        Append(kMultiLineMark, line);
    }
    // A name the line cannot hold (a double quote where the format takes one for its
    // own, a character the code page lacks) would describe another file.
    const std::optional<Entry> back = ParseDescriptionLine(line, utf8Mode);
    if (!back || back->FileName != entry.FileName) return std::nullopt;
    return line;
}

std::optional<std::vector<std::uint8_t>> Format(Bytes source, const std::vector<Entry>& entries, bool utf8Mode)
{
    std::vector<std::uint8_t> out;
    if (entries.empty()) return out;
    const Source read = Scan(source);
    const bool asRead = read.utf8 == utf8Mode;
    if (utf8Mode) Append(kUtf8Mark, out);
    bool open = false;  // the last line written has no end: it was the last line read
    const auto put = [&](Bytes text, Bytes end) {
        if (open) Append(kCrLf, out);
        Append(text, out);
        Append(end, out);
        open = end.empty();
    };
    std::vector<Entry> kept;  // the entries whose lines stand as read
    std::size_t next = 0;     // the first entry not yet written
    for (const SourceLine& line : read.lines) {
        if (line.entry && !line.shadowed) {
            // Kept when it is the next entry, unchanged; else it was removed or changed.
            if (next == entries.size() || entries[next] != *line.entry) continue;
            ++next;
            kept.push_back(*line.entry);
            if (asRead) {
                put(line.text, line.end);
            } else {
                const auto written = FormatEntryLine(*line.entry, utf8Mode);
                if (!written) return std::nullopt;
                put(*written, line.end);
            }
            continue;
        }
        // A line for a name an earlier line holds goes with that line, lest it take the
        // place of an entry that was changed or removed.
        if (line.shadowed && !FindEntry(kept, line.entry->FileName)) continue;
        if (asRead) {
            put(line.text, line.end);
        } else {
            std::vector<std::uint8_t> written;
            Encode(Decode(line.text, read.utf8), utf8Mode, written);
            put(written, line.end);
        }
    }
    for (; next < entries.size(); ++next) {
        const auto written = FormatEntryLine(entries[next], utf8Mode);
        if (!written) return std::nullopt;
        put(*written, kCrLf);
    }
    return out;
}

}  // namespace modDescriptIon
