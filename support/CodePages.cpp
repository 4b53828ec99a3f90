// Host code pages from the locale and conversions through ICU converters.
#include "support/CodePages.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include <Hollin0106/AutomationError.h>
#include "platform/platform.h"

using namespace Hollin0106;

namespace codepages {

namespace {

struct PagePair {
    std::uint32_t ansi;
    std::uint32_t oem;
};

struct LanguagePages {
    std::string_view language;
    PagePair pages;
};

constexpr PagePair kWestern{1252, 850};
constexpr PagePair kUnitedStates{1252, 437};

// The pairs Windows gives the languages of its locales; a language not listed gets the
// Western pair. English and Chinese depend on the country and are decided in PagesFor.
constexpr LanguagePages kLanguages[] = {
    {"ru", {1251, 866}}, {"uk", {1251, 866}}, {"be", {1251, 866}}, {"bg", {1251, 866}},
    {"mk", {1251, 866}}, {"kk", {1251, 866}}, {"ky", {1251, 866}}, {"tt", {1251, 866}},
    {"mn", {1251, 866}}, {"sr", {1251, 855}},
    {"pl", {1250, 852}}, {"cs", {1250, 852}}, {"sk", {1250, 852}}, {"hu", {1250, 852}},
    {"hr", {1250, 852}}, {"sl", {1250, 852}}, {"ro", {1250, 852}}, {"sq", {1250, 852}},
    {"bs", {1250, 852}},
    {"el", {1253, 737}},
    {"tr", {1254, 857}}, {"az", {1254, 857}}, {"uz", {1254, 857}},
    {"he", {1255, 862}}, {"yi", {1255, 862}},
    {"ar", {1256, 720}}, {"fa", {1256, 720}}, {"ur", {1256, 720}},
    {"lt", {1257, 775}}, {"lv", {1257, 775}}, {"et", {1257, 775}},
    {"vi", {1258, 1258}},
    {"ja", {932, 932}},
    {"ko", {949, 949}},
    {"th", {874, 874}},
    {"c", kUnitedStates}, {"posix", kUnitedStates},
};

std::string Lower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// "ll_CC.codeset@modifier" -> language and country, both lower case.
PagePair PagesFor(std::string_view locale)
{
    const std::size_t languageEnd = locale.find_first_of("_.@");
    const std::string language = Lower(locale.substr(0, languageEnd));
    std::string country;
    if (languageEnd != std::string_view::npos && locale[languageEnd] == '_') {
        const std::string_view rest = locale.substr(languageEnd + 1);
        country = Lower(rest.substr(0, rest.find_first_of(".@")));
    }
    if (language.empty()) return kUnitedStates;
    if (language == "en") return country.empty() || country == "us" ? kUnitedStates : kWestern;
    if (language == "zh")
        return country == "tw" || country == "hk" || country == "mo" ? PagePair{950, 950} : PagePair{936, 936};
    for (const auto& entry : kLanguages)
        if (entry.language == language) return entry.pages;
    return kWestern;
}

std::atomic<std::uint32_t> g_ansiOverride{0};
std::atomic<std::uint32_t> g_oemOverride{0};

[[noreturn]] void Unsupported()
{
    throw AutomationError(errnum::InvalidProcedureCall, u"qvxFSO");
}

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

// Every character the page cannot hold becomes the substitute "?". ICU's own
// substitution callback drops default-ignorable characters (U+200B, U+FEFF, ...)
// instead, which would make text vanish without trace.
void SubstituteEveryUnmappable(const void* /*context*/, UConverterFromUnicodeArgs* args, const UChar* /*units*/,
                               std::int32_t /*length*/, UChar32 /*codePoint*/, UConverterCallbackReason reason,
                               UErrorCode* status)
{
    if (reason > UCNV_IRREGULAR) return;  // close, reset, clone: nothing to write
    *status = U_ZERO_ERROR;
    ucnv_cbFromUWriteSub(args, 0, status);
}

// Windows names ANSI pages windows-N and OEM pages by their IBM number; ICU knows each
// page under one of these names.
ConverterPtr OpenConverter(std::uint32_t codePage)
{
    const std::string number = std::to_string(codePage);
    for (const std::string& name : {"windows-" + number, "ibm-" + number, "cp" + number}) {
        UErrorCode status = U_ZERO_ERROR;
        ConverterPtr converter(ucnv_open(name.c_str(), &status));
        if (U_FAILURE(status) || !converter) continue;
        status = U_ZERO_ERROR;
        ucnv_setSubstChars(converter.get(), "?", 1, &status);
        ucnv_setFromUCallBack(converter.get(), SubstituteEveryUnmappable, nullptr, nullptr, nullptr, &status);
        if (U_FAILURE(status)) continue;
        return converter;
    }
    return nullptr;
}

// One converter per code page and thread, kept for the thread's life: opening costs far
// more than a line of a list file.
UConverter* ConverterFor(std::uint32_t codePage)
{
    struct Cached {
        std::uint32_t codePage;
        ConverterPtr converter;
    };
    thread_local std::vector<Cached> cache;
    for (auto& entry : cache)
        if (entry.codePage == codePage) {
            ucnv_reset(entry.converter.get());
            return entry.converter.get();
        }
    ConverterPtr converter = OpenConverter(codePage);
    if (!converter) Unsupported();
    cache.push_back({codePage, std::move(converter)});
    return cache.back().converter.get();
}

}  // namespace

std::uint32_t AnsiCodePageForLocale(std::string_view locale)
{
    return PagesFor(locale).ansi;
}

std::uint32_t OemCodePageForLocale(std::string_view locale)
{
    return PagesFor(locale).oem;
}

std::uint32_t HostAnsiCodePage()
{
    const std::uint32_t set = g_ansiOverride.load();
    return set != 0 ? set : AnsiCodePageForLocale(platform::UserLocaleName());
}

std::uint32_t HostOemCodePage()
{
    const std::uint32_t set = g_oemOverride.load();
    return set != 0 ? set : OemCodePageForLocale(platform::UserLocaleName());
}

bool IsSupportedCodePage(std::uint32_t codePage)
{
    return codePage != 0 && OpenConverter(codePage) != nullptr;
}

void SetHostCodePages(std::uint32_t ansiCodePage, std::uint32_t oemCodePage)
{
    if ((ansiCodePage != 0 && !IsSupportedCodePage(ansiCodePage)) ||
        (oemCodePage != 0 && !IsSupportedCodePage(oemCodePage)))
        Unsupported();
    g_ansiOverride.store(ansiCodePage);
    g_oemOverride.store(oemCodePage);
}

namespace {

// ---- Single-byte pages: ICU's mapping, walked as two tables ----------------------

bool IsHigh(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLow(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

// A page whose every byte is one character converts by table lookup, several times
// faster than ICU's general path. The tables are ICU's own results: each byte decoded
// alone, and each character of the Basic Multilingual Plane encoded alone (with "?"
// for what the page lacks). Surrogates never reach the tables: a pair, which no single
// byte page holds, and an unpaired half each become one "?", as ICU has it.
}  // namespace

struct SingleByteTable {
    char16_t toUnicode[256];
    std::uint8_t fromBmp[0x10000];
};

namespace {

std::unique_ptr<SingleByteTable> BuildSingleByteTable(std::uint32_t codePage)
{
    ConverterPtr converter = OpenConverter(codePage);
    if (!converter || ucnv_getType(converter.get()) != UCNV_SBCS) return nullptr;
    auto table = std::make_unique<SingleByteTable>();
    for (int b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        UChar unit[4];
        UErrorCode status = U_ZERO_ERROR;
        const std::int32_t n = ucnv_toUChars(converter.get(), unit, 4, &byte, 1, &status);
        if (U_FAILURE(status) || n != 1) return nullptr;
        table->toUnicode[b] = unit[0];
    }
    std::u16string bmp;
    bmp.reserve(0x10000);
    for (std::uint32_t c = 0; c < 0x10000; ++c)
        bmp.push_back(static_cast<char16_t>(IsHigh(static_cast<char16_t>(c)) || IsLow(static_cast<char16_t>(c)) ? u'?' : c));
    std::vector<char> bytes(0x10000 * 2);
    UErrorCode status = U_ZERO_ERROR;
    ucnv_reset(converter.get());
    const std::int32_t n = ucnv_fromUChars(converter.get(), bytes.data(), static_cast<std::int32_t>(bytes.size()),
                                           bmp.data(), static_cast<std::int32_t>(bmp.size()), &status);
    // One byte a character, or the page is not what it claimed.
    if (U_FAILURE(status) || n != 0x10000) return nullptr;
    for (std::size_t c = 0; c < 0x10000; ++c) table->fromBmp[c] = static_cast<std::uint8_t>(bytes[c]);
    return table;
}

// Built on first use, kept for the process's life, shared read-only by every thread.
const SingleByteTable* SingleByteTableFor(std::uint32_t codePage)
{
    static std::mutex mutex;
    static std::map<std::uint32_t, std::unique_ptr<SingleByteTable>> tables;
    const std::lock_guard lock(mutex);
    auto it = tables.find(codePage);
    if (it == tables.end()) it = tables.emplace(codePage, BuildSingleByteTable(codePage)).first;
    return it->second.get();
}

void DecodeTable(const SingleByteTable& table, std::span<const std::uint8_t> bytes, std::u16string& out)
{
    const std::size_t start = out.size();
    out.resize(start + bytes.size());
    char16_t* target = out.data() + start;
    for (std::size_t i = 0; i < bytes.size(); ++i) target[i] = table.toUnicode[bytes[i]];
}

// `pendingHigh` carries a high surrogate that ended the piece before.
void EncodeTable(const SingleByteTable& table, std::u16string_view text, bool last, bool& pendingHigh,
                 std::vector<std::uint8_t>& out)
{
    const std::size_t start = out.size();
    out.resize(start + text.size() + 1);
    std::uint8_t* target = out.data() + start;
    std::size_t i = 0;
    if (pendingHigh) {
        pendingHigh = false;
        *target++ = '?';
        if (!text.empty() && IsLow(text[0])) i = 1;
    }
    while (i < text.size()) {
        const char16_t c = text[i++];
        if (!IsHigh(c) && !IsLow(c)) {
            *target++ = table.fromBmp[c];
            continue;
        }
        if (IsHigh(c)) {
            if (i == text.size() && !last) {
                pendingHigh = true;
                break;
            }
            if (i < text.size() && IsLow(text[i])) ++i;
        }
        *target++ = '?';
    }
    out.resize(static_cast<std::size_t>(target - out.data()));
}

// ---- Any page, through ICU ---------------------------------------------------------

// Runs an ICU conversion `step` that writes into `out` from `used` on, giving `out`
// `grow` more elements each time ICU asks for room; `out` ends at what was written.
// On a failure `out` goes back to `start` and error 5 is raised.
template <typename Out, typename Step>
void ConvertGrowing(Out& out, std::size_t start, std::size_t grow, Step step)
{
    std::size_t used = start;
    for (;;) {
        UErrorCode status = U_ZERO_ERROR;
        used = step(used, status);
        if (status == U_BUFFER_OVERFLOW_ERROR) {
            out.resize(out.size() + grow);
            continue;
        }
        if (U_FAILURE(status)) {
            out.resize(start);
            Unsupported();
        }
        break;
    }
    out.resize(used);
}

void EncodeWith(UConverter* converter, std::u16string_view text, bool last, std::vector<std::uint8_t>& out)
{
    // Every code unit gives at most the page's longest character, "?" included; a high
    // surrogate left pending by the piece before may add one more.
    const std::size_t start = out.size();
    const auto maxChar = static_cast<std::size_t>(ucnv_getMaxCharSize(converter));
    out.resize(start + (text.size() + 1) * maxChar);
    const UChar* source = text.data();
    ConvertGrowing(out, start, 4 * maxChar, [&](std::size_t used, UErrorCode& status) {
        char* const base = reinterpret_cast<char*>(out.data());
        char* target = base + used;
        ucnv_fromUnicode(converter, &target, base + out.size(), &source, text.data() + text.size(), nullptr, last,
                         &status);
        return static_cast<std::size_t>(target - base);
    });
}

void DecodeWith(UConverter* converter, std::span<const std::uint8_t> bytes, bool last, std::u16string& out)
{
    // Windows pages give at most one unit a byte (plus what a piece before left
    // pending); a page that gives more, such as GB 18030's four-byte forms, makes the
    // loop grow the buffer.
    const std::size_t start = out.size();
    out.resize(start + bytes.size() + 8);
    const char* source = reinterpret_cast<const char*>(bytes.data());
    const char* const sourceLimit = source + bytes.size();
    ConvertGrowing(out, start, bytes.size() + 8, [&](std::size_t used, UErrorCode& status) {
        UChar* target = out.data() + used;
        ucnv_toUnicode(converter, &target, out.data() + out.size(), &source, sourceLimit, nullptr, last, &status);
        return static_cast<std::size_t>(target - out.data());
    });
}

}  // namespace

void Encode(std::u16string_view text, std::uint32_t codePage, std::vector<std::uint8_t>& out)
{
    if (const SingleByteTable* table = SingleByteTableFor(codePage)) {
        bool pending = false;
        EncodeTable(*table, text, true, pending, out);
        return;
    }
    UConverter* converter = ConverterFor(codePage);
    if (!text.empty()) EncodeWith(converter, text, true, out);
}

std::u16string Decode(std::span<const std::uint8_t> bytes, std::uint32_t codePage)
{
    std::u16string out;
    if (const SingleByteTable* table = SingleByteTableFor(codePage)) {
        DecodeTable(*table, bytes, out);
        return out;
    }
    UConverter* converter = ConverterFor(codePage);
    if (!bytes.empty()) DecodeWith(converter, bytes, true, out);
    return out;
}

PageConverter::PageConverter(std::uint32_t codePage) : table_(SingleByteTableFor(codePage))
{
    if (table_) return;
    converter_ = OpenConverter(codePage).release();
    if (!converter_) Unsupported();
}

PageConverter::~PageConverter()
{
    if (converter_) ucnv_close(converter_);
}

void Decoder::Decode(std::span<const std::uint8_t> bytes, bool last, std::u16string& out)
{
    if (table_)
        DecodeTable(*table_, bytes, out);
    else
        DecodeWith(converter_, bytes, last, out);
}

void Encoder::Encode(std::u16string_view text, bool last, std::vector<std::uint8_t>& out)
{
    if (table_)
        EncodeTable(*table_, text, last, pendingHigh_, out);
    else
        EncodeWith(converter_, text, last, out);
}

}  // namespace codepages
