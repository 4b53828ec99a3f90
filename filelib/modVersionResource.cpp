// VS_VERSIONINFO walker and language names. Node layout (Microsoft, "VS_VERSIONINFO",
// "String", "Var" structures): +0 wLength (the node with its children, in bytes),
// +2 wValueLength (bytes; UTF-16 units for text), +4 wType (1 text, 0 binary), +6 the
// zero-terminated UTF-16 key, padding to a 32-bit boundary, the value, padding, children.
// The 16-bit layout of NE programs has no wType, an 8-bit key and values counted in bytes.
#include "filelib/modVersionResource.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include "common/ByteReader.h"
#include "common/text/Locales.h"
#include "common/text/TextCase.h"
#include "support/quovixsupport.h"

using Hollin0106::ByteReader;

namespace modVersionResource {
namespace {

constexpr std::size_t kNodeHeader = 6;
constexpr std::size_t kNodeHeader16 = 4;
constexpr std::string_view kRootKey{"VS_VERSION_INFO\0", 16};

std::size_t Align4(std::size_t offset) { return (offset + 3) & ~std::size_t{3}; }

struct Node {
    std::size_t start = 0;
    std::size_t end = 0;        // start + wLength
    std::u16string key;
    std::size_t valueStart = 0;
    std::size_t valueLength = 0;  // bytes, cut at the node's end
    bool isText = false;
    std::size_t childrenStart = 0;
};

// True for a block in the 16-bit layout: its root key follows wValueLength in 8-bit text.
bool Is16Bit(std::span<const std::uint8_t> block)
{
    return block.size() >= kNodeHeader16 + kRootKey.size() &&
           std::equal(kRootKey.begin(), kRootKey.end(), block.begin() + kNodeHeader16);
}

// The node at `start`, which must end by `limit`. Alignment counts from the block's
// start, as Windows aligns in its own copy of the block.
std::optional<Node> ReadNode(std::span<const std::uint8_t> block, std::size_t start, std::size_t limit, bool layout16)
{
    ByteReader r(block.first(limit));
    r.seek(start);
    const std::uint16_t length = r.u16le();
    const std::uint16_t valueLength = r.u16le();
    const std::uint16_t type = layout16 ? 0 : r.u16le();
    const std::size_t header = layout16 ? kNodeHeader16 : kNodeHeader;
    if (!r.ok() || length < header || length > limit - start) return std::nullopt;
    Node n;
    n.start = start;
    n.end = start + length;
    ByteReader in(block.first(n.end));
    in.seek(start + header);
    for (;;) {
        const std::uint16_t unit = layout16 ? in.u8() : in.u16le();
        if (!in.ok()) return std::nullopt;  // the key must end inside the node
        if (unit == 0) break;
        n.key.push_back(static_cast<char16_t>(unit));
    }
    n.isText = type == 1;
    n.valueStart = std::min(Align4(in.offset()), n.end);
    const std::size_t claimed = n.isText ? std::size_t{valueLength} * 2 : valueLength;
    const std::size_t room = n.end - n.valueStart;
    if (claimed > room && !n.isText) return std::nullopt;
    n.valueLength = std::min(claimed, room);
    n.childrenStart = std::min(Align4(n.valueStart + n.valueLength), n.end);
    return n;
}

bool SameKey(std::u16string_view a, std::u16string_view b)
{
    return textcase::Equal(a, b, textcase::Mode::FullFold);
}

// The child of `parent` with key `key`. Children lie one after the other, each starting
// on a 32-bit boundary; every step moves forward by at least a node header, so the walk
// ends.
std::optional<Node> FindChild(std::span<const std::uint8_t> block, const Node& parent, std::u16string_view key,
                              bool layout16)
{
    std::size_t at = parent.childrenStart;
    while (at + kNodeHeader16 <= parent.end) {
        const auto child = ReadNode(block, at, parent.end, layout16);
        if (!child) return std::nullopt;
        if (SameKey(child->key, key)) return child;
        at = Align4(child->end);
    }
    return std::nullopt;
}

// The names Windows gives a language identifier in English follow Microsoft's list of
// language identifiers ("Language (Script, Location)"), which ICU's English display names
// follow too, but for some spellings. These tables hold the differences; every
// identifier of Windows' list was compared (the tests check them all).

// Whole names, by identifier: the identifiers that stand for no language, and those
// whose locale ICU names otherwise (a sort order, a variant, a script ICU drops).
struct LanguageName {
    std::uint16_t id;
    const char16_t* name;
};
constexpr std::array kWindowsNames{
    LanguageName{0x0000, u"Language Neutral"},
    LanguageName{0x007F, u"Invariant Language (Invariant Country)"},
    LanguageName{0x0400, u"Process Default Language"},
    LanguageName{0x0800, u"System Default Language"},
    LanguageName{0x0804, u"Chinese (Simplified, PRC)"},
    LanguageName{0x0C0A, u"Spanish (Spain, International Sort)"},
    LanguageName{0x040A, u"Spanish (Spain, Traditional Sort)"},
    LanguageName{0x0803, u"Valencian (Spain)"},
    LanguageName{0x4C09, u"English (United Arab Emirates)"},
    LanguageName{0x008C, u"Dari"},
    LanguageName{0x048C, u"Dari (Afghanistan)"},
    LanguageName{0x7C46, u"Punjabi (Arabic)"},
    LanguageName{0x0086, u"K'iche'"},
    LanguageName{0x7C86, u"K'iche' (Latin)"},
};

// Parts of a name, by ICU's code for the language, script or region.
struct PartName {
    std::string_view code;
    const char16_t* name;
};
constexpr std::array kLanguageNames{
    PartName{"qut", u"K'iche'"},           PartName{"quc", u"K'iche'"},
    PartName{"se", u"Sami, Northern"},      PartName{"smn", u"Sami, Inari"},
    PartName{"sms", u"Sami, Skolt"},        PartName{"sma", u"Sami, Southern"},
    PartName{"smj", u"Sami, Lule"},         PartName{"st", u"Sesotho"},
    PartName{"nso", u"Sesotho sa Leboa"},   PartName{"tn", u"Setswana"},
    PartName{"xh", u"isiXhosa"},            PartName{"zu", u"isiZulu"},
    PartName{"kl", u"Greenlandic"},         PartName{"arn", u"Mapudungun"},
    PartName{"sah", u"Sakha"},              PartName{"ii", u"Yi"},
    PartName{"bin", u"Edo"},                PartName{"gsw", u"Alsatian"},
    PartName{"nb", u"Norwegian, Bokm\u00E5l"}, PartName{"nn", u"Norwegian, Nynorsk"},
    PartName{"fy", u"Frisian"},             PartName{"mi", u"Maori"},
};
constexpr std::array kScriptNames{
    PartName{"Cans", u"Syllabics"},
    PartName{"Mong", u"Traditional Mongolian"},
};
constexpr std::array kRegionNames{
    PartName{"001", u"World"},          PartName{"AE", u"U.A.E."},
    PartName{"BA", u"Bosnia and Herzegovina"}, PartName{"BN", u"Brunei Darussalam"},
    PartName{"CD", u"Congo DRC"},       PartName{"CG", u"Congo"},
    PartName{"CN", u"PRC"},             PartName{"CZ", u"Czech Republic"},
    PartName{"HK", u"Hong Kong SAR"},   PartName{"KR", u"Korea"},
    PartName{"LA", u"Lao P.D.R."},      PartName{"MM", u"Myanmar"},
    PartName{"MO", u"Macao SAR"},       PartName{"TT", u"Trinidad and Tobago"},
};

template <std::size_t N>
const char16_t* Find(const std::array<PartName, N>& table, std::string_view code)
{
    for (const auto& entry : table)
        if (entry.code == code) return entry.name;
    return nullptr;
}

void ReplaceAll(std::u16string& text, std::u16string_view from, std::u16string_view to)
{
    for (std::size_t at = 0; (at = text.find(from, at)) != std::u16string::npos; at += to.size())
        text.replace(at, from.size(), to);
}

}  // namespace

std::optional<VersionValue> VerQueryValue(std::span<const std::uint8_t> block, std::u16string_view subBlock)
{
    const bool layout16 = Is16Bit(block);
    auto node = ReadNode(block, 0, block.size(), layout16);
    if (!node) return std::nullopt;
    std::size_t pos = 0;
    while (pos < subBlock.size()) {
        const std::size_t sep = subBlock.find(u'\\', pos);
        const std::size_t end = sep == std::u16string_view::npos ? subBlock.size() : sep;
        if (end > pos) {
            node = FindChild(block, *node, subBlock.substr(pos, end - pos), layout16);
            if (!node) return std::nullopt;
        }
        pos = end + 1;
    }
    return VersionValue{block.subspan(node->valueStart, node->valueLength), node->isText, layout16};
}

std::u16string ValueText(const VersionValue& value)
{
    if (!value.isAnsi) return asGetStringFromPointerW(value.bytes);
    const std::string text = asGetStringFromPointerA(value.bytes);
    return asStrConvW(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::u16string VerLanguageName(std::uint16_t languageId)
{
    for (const auto& entry : kWindowsNames)
        if (entry.id == languageId) return entry.name;
    const std::string locale = locales::ForLanguageId(languageId);
    // ICU maps an identifier it does not know to the nearest it does (a sublanguage
    // nobody defined to its language, 3C07h to German): only one that maps back to
    // itself is a language of Windows' list; Windows calls every other one neutral.
    if (locale.empty() || locales::LanguageId(locale) != languageId) return u"Language Neutral";
    const auto parts = locales::Split(locale);
    if (!parts) return u"Language Neutral";
    const std::string& language = parts->language;
    const std::string& script = parts->script;
    const std::string& region = parts->country;

    // "Language (Script)" as ICU names it, where ICU knows combined forms ("Chinese
    // (Traditional)"), with Windows' words for the language and the script.
    std::u16string name =
        locales::EnglishName(script.empty() ? language : language + "_" + script, locales::Name::Whole);
    if (const char16_t* windows = Find(kLanguageNames, language)) {
        const std::u16string icu = locales::EnglishName(language, locales::Name::Language);
        if (name.starts_with(icu)) name.replace(0, icu.size(), windows);
    }
    // (Appended piece by piece: GCC 12 warns falsely about "literal" + string&&.)
    if (const char16_t* windows = Find(kScriptNames, script)) {
        std::u16string icu(u"(");
        icu.append(locales::EnglishName(language + "_" + script, locales::Name::Script)).push_back(u')');
        std::u16string ours(u"(");
        ours.append(windows).push_back(u')');
        ReplaceAll(name, icu, ours);
    }
    if (!region.empty()) {
        const char16_t* windows = Find(kRegionNames, region);
        const std::u16string where =
            windows != nullptr ? windows : locales::EnglishName("_" + region, locales::Name::Country);
        if (name.ends_with(u')')) {
            name.pop_back();
            name.append(u", ").append(where).push_back(u')');
        } else {
            name.append(u" (").append(where).push_back(u')');
        }
    }
    ReplaceAll(name, u" & ", u" and ");
    return name.empty() ? u"Language Neutral" : name;
}

}  // namespace modVersionResource
