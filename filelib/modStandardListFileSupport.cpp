// List-file splitting, filtering and reading.
#include "filelib/modStandardListFileSupport.h"

#include "common/Utf16.h"
#include "common/text/TextCase.h"
#include "filelib/qvxFileWork.h"
#include "support/quovixsupport.h"

using namespace Hollin0106;

namespace modStandardListFileSupport {

namespace {

constexpr std::uint8_t kCR = 0x0D;
constexpr std::uint8_t kLF = 0x0A;

// Every entry's key is its 1-based position.
void AddEntry(Collection& list, std::u16string entry)
{
    list.Add(std::move(entry), FromUtf8(std::to_string(list.Count() + 1)));
}

// Upper case code point by code point (simple mappings), so that the length stays.
std::u16string Upper(std::u16string_view s)
{
    return textcase::Map(s, textcase::Mode::SimpleUpper);
}

}  // namespace

std::vector<std::span<const std::uint8_t>> SplitLineInput(std::span<const std::uint8_t> bytes)
{
    std::vector<std::span<const std::uint8_t>> lines;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < bytes.size()) {
        if (bytes[i] != kCR) {
            ++i;
            continue;
        }
        lines.push_back(bytes.subspan(start, i - start));
        ++i;
        if (i < bytes.size() && bytes[i] == kLF) ++i;
        start = i;
    }
    if (start < bytes.size()) lines.push_back(bytes.subspan(start));
    return lines;
}

std::vector<std::u16string_view> SplitAtCrLf(std::u16string_view text)
{
    std::vector<std::u16string_view> lines;
    if (text.empty()) return lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(u"\r\n", start);
        if (end == std::u16string_view::npos) {
            lines.push_back(text.substr(start));
            return lines;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
}

void AddLineInputEntries(std::span<const std::uint8_t> bytes, bool IsOem, std::u16string_view CommentPrefix,
                         bool IgnoreBlanks, bool TrimStrings, Collection& list)
{
    for (const auto line : SplitLineInput(bytes)) {
        std::u16string text = asStrConvW(line);
        std::u16string trimmed = asTrimEx(text);
        if (trimmed.empty() && IgnoreBlanks) continue;
        if (!CommentPrefix.empty() && std::u16string_view(trimmed).substr(0, CommentPrefix.size()) == CommentPrefix)
            continue;
        std::u16string entry = TrimStrings ? std::move(trimmed) : std::move(text);
        if (IsOem) entry = asOemToAnsi(entry);
        AddEntry(list, std::move(entry));
    }
}

void AddTextEntries(std::u16string_view text, std::u16string_view CommentChar, bool IgnoreBlanks,
                    bool TrimStrings, Collection& list)
{
    const std::u16string prefix = Upper(CommentChar);
    for (const std::u16string_view raw : SplitAtCrLf(text)) {
        std::u16string line = TrimStrings ? asTrimEx(raw) : std::u16string(raw);
        if (IgnoreBlanks && line.empty()) continue;
        if (!prefix.empty() && Upper(std::u16string_view(line).substr(0, CommentChar.size())) == prefix) continue;
        AddEntry(list, std::move(line));
    }
}

std::shared_ptr<Collection> LoadStandardListFile(const std::u16string& FileName, bool IsOem,
                                                 const std::u16string& CommentPrefix, bool IgnoreBlanks,
                                                 bool TrimStrings)
{
    auto list = std::make_shared<Collection>();
    const std::vector<std::uint8_t> bytes = qvxFileWork::ReadWhole(FileName);
    AddLineInputEntries(bytes, IsOem, CommentPrefix, IgnoreBlanks, TrimStrings, *list);
    return list;
}

}  // namespace modStandardListFileSupport
