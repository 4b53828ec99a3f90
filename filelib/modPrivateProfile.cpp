// INI lookups and in-place edits over bytes.
#include "filelib/modPrivateProfile.h"

#include <algorithm>

#include "filelib/modTextLines.h"
#include "support/CodePages.h"
#include "support/TextCase.h"

namespace modPrivateProfile {

namespace {

using Bytes = std::span<const std::uint8_t>;

std::u16string Ansi(Bytes bytes)
{
    return codepages::Decode(bytes, codepages::HostAnsiCodePage());
}

void AppendAnsi(std::u16string_view text, std::vector<std::uint8_t>& out)
{
    codepages::Encode(text, codepages::HostAnsiCodePage(), out);
}

void AppendCrLf(std::vector<std::uint8_t>& out)
{
    out.push_back(0x0D);
    out.push_back(0x0A);
}

// Where a section and a key stand in the text, by line index.
struct Place {
    std::vector<modTextLines::Line> lines;
    std::optional<std::size_t> section;  // the section's header line
    std::optional<std::size_t> key;      // the key's line in that section
    std::size_t lastFilled = 0;          // the section's last non-blank line
    std::u16string value;                // the key's value, trimmed
};

// The name of a section header ("[name]" after blanks), or nothing for another line.
std::optional<Bytes> SectionName(Bytes line)
{
    line = modTextLines::TrimBlanks(line);
    if (line.empty() || line.front() != '[') return std::nullopt;
    line = line.subspan(1);
    const auto close = std::find(line.begin(), line.end(), std::uint8_t{']'});
    return modTextLines::TrimBlanks(line.first(static_cast<std::size_t>(close - line.begin())));
}

// The name and the value of a key line ("name = value"), or nothing.
std::optional<std::pair<Bytes, Bytes>> KeyLine(Bytes line)
{
    line = modTextLines::TrimBlanks(line);
    if (line.empty() || line.front() == ';') return std::nullopt;
    const auto equals = std::find(line.begin(), line.end(), std::uint8_t{'='});
    if (equals == line.end()) return std::nullopt;
    const auto at = static_cast<std::size_t>(equals - line.begin());
    return std::pair{modTextLines::TrimBlanks(line.first(at)), modTextLines::TrimBlanks(line.subspan(at + 1))};
}

Place Find(Bytes ini, std::u16string_view section, std::u16string_view key)
{
    Place place;
    place.lines = modTextLines::SplitLines(ini);
    bool inside = false;
    for (std::size_t i = 0; i < place.lines.size(); ++i) {
        const Bytes text = place.lines[i].text;
        if (const auto name = SectionName(text)) {
            if (inside) break;  // the first section of that name is the one
            inside = EqualsIgnoringCase(Ansi(*name), section);
            if (inside) place.section = place.lastFilled = i;
            continue;
        }
        if (!inside) continue;
        if (!modTextLines::TrimBlanks(text).empty()) place.lastFilled = i;
        if (place.key) continue;
        if (const auto entry = KeyLine(text); entry && EqualsIgnoringCase(Ansi(entry->first), key)) {
            place.key = i;
            place.value = Ansi(entry->second);
        }
    }
    return place;
}

void AppendLine(const modTextLines::Line& line, std::vector<std::uint8_t>& out)
{
    out.insert(out.end(), line.text.begin(), line.text.end());
    out.insert(out.end(), line.end.begin(), line.end.end());
}

void AppendKey(std::u16string_view key, std::u16string_view value, std::vector<std::uint8_t>& out)
{
    AppendAnsi(key, out);
    out.push_back('=');
    AppendAnsi(value, out);
}

}  // namespace

std::optional<std::u16string> GetString(Bytes ini, std::u16string_view section, std::u16string_view key)
{
    Place place = Find(ini, section, key);
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
    return Find(ini, section, key).key.has_value();
}

std::vector<std::uint8_t> WriteString(Bytes ini, std::u16string_view section, std::u16string_view key,
                                      const std::u16string* value)
{
    const Place place = Find(ini, section, key);
    std::vector<std::uint8_t> out;
    out.reserve(ini.size() + key.size() + (value ? value->size() : 0) + section.size() + 8);
    if (!value && !place.key) return {ini.begin(), ini.end()};

    if (!place.section) {
        out.assign(ini.begin(), ini.end());
        if (!place.lines.empty() && place.lines.back().end.empty()) AppendCrLf(out);
        out.push_back('[');
        AppendAnsi(section, out);
        out.push_back(']');
        AppendCrLf(out);
        AppendKey(key, *value, out);
        AppendCrLf(out);
        return out;
    }
    for (std::size_t i = 0; i < place.lines.size(); ++i) {
        const auto& line = place.lines[i];
        if (place.key && i == *place.key) {
            if (!value) continue;
            AppendKey(key, *value, out);
            if (line.end.empty())
                AppendCrLf(out);
            else
                out.insert(out.end(), line.end.begin(), line.end.end());
            continue;
        }
        AppendLine(line, out);
        if (!place.key && i == place.lastFilled) {
            if (line.end.empty()) AppendCrLf(out);
            AppendKey(key, *value, out);
            AppendCrLf(out);
        }
    }
    return out;
}

}  // namespace modPrivateProfile
