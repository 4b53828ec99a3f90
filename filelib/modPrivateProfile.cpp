// INI lookups and in-place edits over bytes, in the text's own encoding.
#include "filelib/modPrivateProfile.h"

#include <algorithm>

#include "common/Utf16.h"
#include "filelib/modTextLines.h"
#include "support/codepages/CodePages.h"
#include "common/text/TextCase.h"

namespace modPrivateProfile {

namespace {

using Bytes = std::span<const std::uint8_t>;
using modTextLines::Units;

enum class Encoding { Ansi, Utf8, Utf16LE, Utf16BE };

// A text as the profile functions of Windows take it: a byte-order mark names UTF-16 or
// UTF-8, anything else is ANSI text.
struct Text {
    Encoding encoding = Encoding::Ansi;
    Bytes mark;  // the byte-order mark as it stands
    Bytes body;  // what follows it, in whole units
    Bytes tail;  // a last byte that makes no whole unit: it stays the last
    Units units() const
    {
        return {encoding == Encoding::Utf16LE || encoding == Encoding::Utf16BE ? 2u : 1u,
                encoding == Encoding::Utf16BE};
    }
};

Text Classify(Bytes ini)
{
    const auto startsWith = [&](std::initializer_list<std::uint8_t> mark) {
        return ini.size() >= mark.size() && std::equal(mark.begin(), mark.end(), ini.begin());
    };
    Text text;
    std::size_t markSize = 0;
    if (startsWith({0xFF, 0xFE})) {
        text.encoding = Encoding::Utf16LE;
        markSize = 2;
    } else if (startsWith({0xFE, 0xFF})) {
        text.encoding = Encoding::Utf16BE;
        markSize = 2;
    } else if (startsWith({0xEF, 0xBB, 0xBF})) {
        text.encoding = Encoding::Utf8;
        markSize = 3;
    }
    text.mark = ini.first(markSize);
    text.body = ini.subspan(markSize);
    const std::size_t stray = text.body.size() % text.units().width;
    text.tail = text.body.last(stray);
    text.body = text.body.first(text.body.size() - stray);
    return text;
}

std::u16string Decode(Bytes bytes, const Text& text)
{
    switch (text.encoding) {
    case Encoding::Ansi: return codepages::Decode(bytes, codepages::HostAnsiCodePage());
    case Encoding::Utf8: return FromUtf8(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    case Encoding::Utf16LE:
    case Encoding::Utf16BE: break;
    }
    std::u16string out;
    for (std::size_t i = 0; i < bytes.size() / 2; ++i)
        out.push_back(static_cast<char16_t>(modTextLines::UnitAt(bytes, i, text.units())));
    return out;
}

void Append(std::u16string_view s, const Text& text, std::vector<std::uint8_t>& out)
{
    switch (text.encoding) {
    case Encoding::Ansi: codepages::Encode(s, codepages::HostAnsiCodePage(), out); return;
    case Encoding::Utf8: {
        const std::string utf8 = ToUtf8(s);
        out.insert(out.end(), utf8.begin(), utf8.end());
        return;
    }
    case Encoding::Utf16LE:
    case Encoding::Utf16BE: break;
    }
    for (const char16_t unit : s) {
        const auto high = static_cast<std::uint8_t>(unit >> 8), low = static_cast<std::uint8_t>(unit);
        out.push_back(text.encoding == Encoding::Utf16BE ? high : low);
        out.push_back(text.encoding == Encoding::Utf16BE ? low : high);
    }
}

void AppendCrLf(const Text& text, std::vector<std::uint8_t>& out)
{
    Append(u"\r\n", text, out);
}

// Where a section and a key stand in the text, by line index.
struct Place {
    std::vector<modTextLines::Line> lines;
    std::optional<std::size_t> section;  // the section's header line
    std::optional<std::size_t> key;      // the key's line in that section
    std::size_t lastFilled = 0;          // the section's last non-blank line
    std::u16string value;                // the key's value, trimmed
};

// The index of the first unit `unit` of `line`, or the count of its units.
std::size_t FindUnit(Bytes line, char16_t unit, Units units)
{
    const std::size_t count = line.size() / units.width;
    std::size_t i = 0;
    while (i < count && modTextLines::UnitAt(line, i, units) != unit) ++i;
    return i;
}

// The name of a section header ("[name]" after blanks), or nothing for another line.
std::optional<Bytes> SectionName(Bytes line, Units units)
{
    line = modTextLines::TrimBlanks(line, units);
    if (line.size() < units.width || modTextLines::UnitAt(line, 0, units) != u'[') return std::nullopt;
    line = line.subspan(units.width);
    const std::size_t close = FindUnit(line, u']', units);
    return modTextLines::TrimBlanks(line.first(std::min(close * units.width, line.size())), units);
}

// The name and the value of a key line ("name = value"), or nothing.
std::optional<std::pair<Bytes, Bytes>> KeyLine(Bytes line, Units units)
{
    line = modTextLines::TrimBlanks(line, units);
    if (line.size() < units.width || modTextLines::UnitAt(line, 0, units) == u';') return std::nullopt;
    const std::size_t equals = FindUnit(line, u'=', units);
    if (equals == line.size() / units.width) return std::nullopt;
    const std::size_t at = equals * units.width;
    return std::pair{modTextLines::TrimBlanks(line.first(at), units),
                     modTextLines::TrimBlanks(line.subspan(at + units.width), units)};
}

Place Find(const Text& text, std::u16string_view section, std::u16string_view key)
{
    const Units units = text.units();
    Place place;
    place.lines = modTextLines::SplitLines(text.body, units);
    bool inside = false;
    for (std::size_t i = 0; i < place.lines.size(); ++i) {
        const Bytes line = place.lines[i].text;
        if (const auto name = SectionName(line, units)) {
            if (inside) break;  // the first section of that name is the one
            inside = EqualsIgnoringCase(Decode(*name, text), section);
            if (inside) place.section = place.lastFilled = i;
            continue;
        }
        if (!inside) continue;
        if (!modTextLines::TrimBlanks(line, units).empty()) place.lastFilled = i;
        if (place.key) continue;
        if (const auto entry = KeyLine(line, units); entry && EqualsIgnoringCase(Decode(entry->first, text), key)) {
            place.key = i;
            place.value = Decode(entry->second, text);
        }
    }
    return place;
}

void AppendBytes(Bytes bytes, std::vector<std::uint8_t>& out)
{
    out.insert(out.end(), bytes.begin(), bytes.end());
}

void AppendKey(std::u16string_view key, std::u16string_view value, const Text& text, std::vector<std::uint8_t>& out)
{
    Append(key, text, out);
    Append(u"=", text, out);
    Append(value, text, out);
}

}  // namespace

std::optional<std::u16string> GetString(Bytes ini, std::u16string_view section, std::u16string_view key)
{
    Place place = Find(Classify(ini), section, key);
    if (!place.key) return std::nullopt;
    return std::move(place.value);
}

std::optional<std::int32_t> LeadingInteger(std::u16string_view text)
{
    std::size_t i = 0;
    const bool negative = i < text.size() && text[i] == u'-';
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) ++i;
    const std::size_t digits = i;
    std::uint32_t n = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) n = n * 10 + (text[i] - u'0');
    if (i == digits) return std::nullopt;
    return static_cast<std::int32_t>(negative ? 0u - n : n);
}

std::int32_t GetInt(Bytes ini, std::u16string_view section, std::u16string_view key, std::int32_t defaultValue)
{
    const auto value = GetString(ini, section, key);
    if (!value) return defaultValue;
    return LeadingInteger(*value).value_or(defaultValue);
}

bool KeyExists(Bytes ini, std::u16string_view section, std::u16string_view key)
{
    return Find(Classify(ini), section, key).key.has_value();
}

std::vector<std::uint8_t> WriteString(Bytes ini, std::u16string_view section, std::u16string_view key,
                                      const std::u16string* value)
{
    const Text text = Classify(ini);
    const Place place = Find(text, section, key);
    if (!value && !place.key) return {ini.begin(), ini.end()};
    std::vector<std::uint8_t> out;
    out.reserve(ini.size() + 2 * (key.size() + (value ? value->size() : 0) + section.size() + 8));
    AppendBytes(text.mark, out);

    if (!place.section) {
        AppendBytes(text.body, out);
        if (!place.lines.empty() && place.lines.back().end.empty()) AppendCrLf(text, out);
        Append(u"[", text, out);
        Append(section, text, out);
        Append(u"]", text, out);
        AppendCrLf(text, out);
        AppendKey(key, *value, text, out);
        AppendCrLf(text, out);
        AppendBytes(text.tail, out);
        return out;
    }
    for (std::size_t i = 0; i < place.lines.size(); ++i) {
        const auto& line = place.lines[i];
        if (place.key && i == *place.key) {
            if (!value) continue;
            AppendKey(key, *value, text, out);
            if (line.end.empty())
                AppendCrLf(text, out);
            else
                AppendBytes(line.end, out);
            continue;
        }
        AppendBytes(line.text, out);
        AppendBytes(line.end, out);
        if (!place.key && i == place.lastFilled) {
            if (line.end.empty()) AppendCrLf(text, out);
            AppendKey(key, *value, text, out);
            AppendCrLf(text, out);
        }
    }
    AppendBytes(text.tail, out);
    return out;
}

}  // namespace modPrivateProfile
