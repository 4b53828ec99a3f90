// The code-page service on ICU's converters (ICU loaded on first use), with the host pages
// taken from the locale.
#include "support/codepages/CodePages.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

#include <array>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <type_traits>

#include <Hollin0106/AutomationError.h>
#include "common/text/Icu.h"
#include "platform/Process.h"
#include "support/codepages/CodePagesBackend.h"

using namespace Hollin0106;

namespace codepages {

namespace {

[[noreturn]] void Unsupported()
{
    throw AutomationError(errnum::InvalidProcedureCall, u"qvxFSO");
}

}  // namespace

struct ConverterCloser {
    void operator()(UConverter* c) const { ICU_CALL(ucnv_close)(c); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

namespace {

// ---- Bytes a single-byte page leaves undefined --------------------------------------

// Windows maps every byte of its single-byte pages to a character and back, so that text
// read and written again keeps every byte. ICU leaves some bytes undefined; they get the
// characters Windows gives them: a byte 80..9F its C1 control of the same number, the
// others the private-use characters of Windows' own tables (the "best fit" tables
// Microsoft publishes for each page), or the character Windows added later.
struct ByteCharacter {
    std::uint32_t codePage;
    std::uint8_t byte;
    char16_t character;
};

constexpr ByteCharacter kWindowsCharacters[] = {
    {1253, 0xD2, 0xF8FA}, {1253, 0xFF, 0xF8FB},
    {1255, 0xCA, 0x05BA}, {1255, 0xD9, 0xF88D}, {1255, 0xDA, 0xF88E}, {1255, 0xDB, 0xF88F}, {1255, 0xDC, 0xF890},
    {1255, 0xDD, 0xF891}, {1255, 0xDE, 0xF892}, {1255, 0xDF, 0xF893}, {1255, 0xFB, 0xF894}, {1255, 0xFC, 0xF895},
    {1255, 0xFF, 0xF896},
    {1257, 0xA1, 0xF8FC}, {1257, 0xA5, 0xF8FD},
    {852, 0xAA, 0x00AC},
};

// The characters of the bytes ICU leaves undefined in one page, in both directions.
struct UndefinedBytes {
    char16_t toUnicode[256] = {};  // 0: ICU defines the byte
    std::vector<std::pair<char16_t, std::uint8_t>> fromUnicode;

    const std::uint8_t* ByteOf(UChar32 c) const
    {
        for (const auto& [character, byte] : fromUnicode)
            if (character == c) return &byte;
        return nullptr;
    }
};

void StopOnUndefined(UConverter* converter)
{
    UErrorCode status = U_ZERO_ERROR;
    ICU_CALL(ucnv_setToUCallBack)(converter, ICU_CALL(UCNV_TO_U_CALLBACK_STOP), nullptr, nullptr, nullptr, &status);
    ICU_CALL(ucnv_setFromUCallBack)(converter, ICU_CALL(UCNV_FROM_U_CALLBACK_STOP), nullptr, nullptr, nullptr, &status);
}

// Asks the freshly opened `converter` which of its bytes it leaves undefined.
UndefinedBytes FindUndefinedBytes(UConverter* converter, std::uint32_t codePage)
{
    UndefinedBytes map;
    if (ICU_CALL(ucnv_getType)(converter) != UCNV_SBCS) return map;
    StopOnUndefined(converter);
    for (int b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        UChar unit[2];
        UErrorCode status = U_ZERO_ERROR;
        ICU_CALL(ucnv_toUChars)(converter, unit, 2, &byte, 1, &status);
        if (U_SUCCESS(status)) continue;
        char16_t character = b >= 0x80 && b <= 0x9F ? static_cast<char16_t>(b) : 0;
        for (const auto& entry : kWindowsCharacters)
            if (entry.codePage == codePage && entry.byte == b) character = entry.character;
        if (character == 0) continue;
        // A character the page holds already would then have two bytes.
        char out[4];
        status = U_ZERO_ERROR;
        ICU_CALL(ucnv_fromUChars)(converter, out, 4, &character, 1, &status);
        if (U_SUCCESS(status)) continue;
        map.toUnicode[b] = character;
        map.fromUnicode.emplace_back(character, static_cast<std::uint8_t>(b));
    }
    ICU_CALL(ucnv_reset)(converter);
    return map;
}

// Found on first use of a page, kept for the process's life, shared read-only by every
// converter of that page.
const UndefinedBytes& UndefinedBytesFor(std::uint32_t codePage, UConverter* converter)
{
    static std::mutex mutex;
    static std::map<std::uint32_t, UndefinedBytes> pages;
    const std::lock_guard lock(mutex);
    auto it = pages.find(codePage);
    if (it == pages.end()) it = pages.emplace(codePage, FindUndefinedBytes(converter, codePage)).first;
    return it->second;
}

// A byte the page leaves undefined gets its Windows character; every other byte that
// forms no character becomes U+FFFD (or U+001A where the page says so), as ICU has it.
void ToUnicodeUndefined(const void* context, UConverterToUnicodeArgs* args, const char* units, std::int32_t length,
                        UConverterCallbackReason reason, UErrorCode* status)
{
    if (reason <= UCNV_IRREGULAR && length == 1) {
        const char16_t c = static_cast<const UndefinedBytes*>(context)->toUnicode[static_cast<std::uint8_t>(units[0])];
        if (c != 0) {
            *status = U_ZERO_ERROR;
            ICU_CALL(ucnv_cbToUWriteUChars)(args, &c, 1, 0, status);
            return;
        }
    }
    ICU_CALL(UCNV_TO_U_CALLBACK_SUBSTITUTE)(nullptr, args, units, length, reason, status);
}

// The character of an undefined byte gets that byte back; every other character the page
// cannot hold becomes the substitute "?". ICU's own substitution callback drops
// default-ignorable characters (U+200B, U+FEFF, ...) instead, which would make text
// vanish without trace.
void FromUnicodeUnmappable(const void* context, UConverterFromUnicodeArgs* args, const UChar* /*units*/,
                           std::int32_t /*length*/, UChar32 codePoint, UConverterCallbackReason reason,
                           UErrorCode* status)
{
    if (reason > UCNV_IRREGULAR) return;  // close, reset, clone: nothing to write
    *status = U_ZERO_ERROR;
    if (const std::uint8_t* byte = static_cast<const UndefinedBytes*>(context)->ByteOf(codePoint)) {
        ICU_CALL(ucnv_cbFromUWriteBytes)(args, reinterpret_cast<const char*>(byte), 1, 0, status);
        return;
    }
    ICU_CALL(ucnv_cbFromUWriteSub)(args, 0, status);
}

// Windows names ANSI pages windows-N and OEM pages by their IBM number; ICU knows each
// page under one of these names.
ConverterPtr OpenConverter(std::uint32_t codePage)
{
    const std::string number = std::to_string(codePage);
    for (const std::string& name : {"windows-" + number, "ibm-" + number, "cp" + number}) {
        UErrorCode status = U_ZERO_ERROR;
        ConverterPtr converter(ICU_CALL(ucnv_open)(name.c_str(), &status));
        if (U_FAILURE(status) || !converter) continue;
        const UndefinedBytes& undefined = UndefinedBytesFor(codePage, converter.get());
        status = U_ZERO_ERROR;
        ICU_CALL(ucnv_setSubstChars)(converter.get(), "?", 1, &status);
        ICU_CALL(ucnv_setFromUCallBack)(converter.get(), FromUnicodeUnmappable, &undefined, nullptr, nullptr, &status);
        if (!undefined.fromUnicode.empty())
            ICU_CALL(ucnv_setToUCallBack)(converter.get(), ToUnicodeUndefined, &undefined, nullptr, nullptr, &status);
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
            ICU_CALL(ucnv_reset)(entry.converter.get());
            return entry.converter.get();
        }
    ConverterPtr converter = OpenConverter(codePage);
    if (!converter) Unsupported();
    cache.push_back({codePage, std::move(converter)});
    return cache.back().converter.get();
}

}  // namespace

std::uint32_t backend::SystemAnsiCodePage()
{
    return AnsiCodePageForLocale(platform::UserLocaleName());
}

std::uint32_t backend::SystemOemCodePage()
{
    return OemCodePageForLocale(platform::UserLocaleName());
}

bool IsSupportedCodePage(std::uint32_t codePage)
{
    return codePage != 0 && OpenConverter(codePage) != nullptr;
}

namespace {

// ---- Any page, through ICU ---------------------------------------------------------

// ICU converts into a small buffer that stays in the cache, and each full buffer is
// appended to the output: the output is written once, into memory its caller may have
// reserved, and never filled with zeros first. On a failure `out` goes back to where it
// was and error 5 is raised.
template <typename Unit, typename Out, typename Step>
void ConvertInChunks(Out& out, Step step)
{
    const std::size_t start = out.size();
    Unit chunk[8192];
    for (;;) {
        Unit* target = chunk;
        UErrorCode status = U_ZERO_ERROR;
        step(target, chunk + std::size(chunk), status);
        if constexpr (std::is_same_v<Out, std::u16string>)
            out.append(chunk, static_cast<std::size_t>(target - chunk));
        else
            out.insert(out.end(), chunk, target);
        if (status == U_BUFFER_OVERFLOW_ERROR) continue;
        if (U_FAILURE(status)) {
            out.resize(start);
            Unsupported();
        }
        return;
    }
}

void EncodeWith(UConverter* converter, std::u16string_view text, bool last, std::vector<std::uint8_t>& out)
{
    const UChar* source = text.data();
    ConvertInChunks<char>(out, [&](char*& target, char* limit, UErrorCode& status) {
        ICU_CALL(ucnv_fromUnicode)(converter, &target, limit, &source, text.data() + text.size(), nullptr,
                                   static_cast<UBool>(last), &status);
    });
}

void DecodeWith(UConverter* converter, std::span<const std::uint8_t> bytes, bool last, std::u16string& out)
{
    const char* source = reinterpret_cast<const char*>(bytes.data());
    const char* const sourceLimit = source + bytes.size();
    ConvertInChunks<UChar>(out, [&](UChar*& target, UChar* limit, UErrorCode& status) {
        ICU_CALL(ucnv_toUnicode)(converter, &target, limit, &source, sourceLimit, nullptr, static_cast<UBool>(last),
                                 &status);
    });
}

// ---- Single-byte pages: encoding by table ------------------------------------------

bool IsHigh(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

bool IsLow(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

// A single-byte page converts by table lookup, two to three times as fast as ICU's
// general path for a text file (bench/textfiles_bench). The tables are ICU's own results,
// undefined bytes' characters included: each byte decoded alone, and each character of
// the Basic Multilingual Plane encoded alone, with "?" for what the page lacks.
// Surrogates never reach the encoding table (see EncodeByTable).
}  // namespace

struct SingleByteTables {
    std::array<char16_t, 256> toUnicode;
    std::array<std::uint8_t, 0x10000> fromBmp;
};

namespace {

std::unique_ptr<SingleByteTables> BuildTables(std::uint32_t codePage)
{
    const ConverterPtr converter = OpenConverter(codePage);
    if (!converter || ICU_CALL(ucnv_getType)(converter.get()) != UCNV_SBCS) return nullptr;
    auto tables = std::make_unique<SingleByteTables>();
    for (int b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        UChar unit[4];
        UErrorCode status = U_ZERO_ERROR;
        const std::int32_t n = ICU_CALL(ucnv_toUChars)(converter.get(), unit, 4, &byte, 1, &status);
        if (U_FAILURE(status) || n != 1) return nullptr;
        tables->toUnicode[static_cast<std::size_t>(b)] = unit[0];
    }
    std::u16string bmp(0x10000, u'?');
    for (std::uint32_t c = 0; c < 0x10000; ++c)
        if (!IsHigh(static_cast<char16_t>(c)) && !IsLow(static_cast<char16_t>(c))) bmp[c] = static_cast<char16_t>(c);
    UErrorCode status = U_ZERO_ERROR;
    ICU_CALL(ucnv_reset)(converter.get());
    const std::int32_t n = ICU_CALL(ucnv_fromUChars)(converter.get(), reinterpret_cast<char*>(tables->fromBmp.data()),
                                                     static_cast<std::int32_t>(tables->fromBmp.size()), bmp.data(),
                                                     static_cast<std::int32_t>(bmp.size()), &status);
    // One byte a character, or the page is not what it claimed.
    if (U_FAILURE(status) || n != 0x10000) return nullptr;
    return tables;
}

// Built on first use, kept for the process's life, shared read-only by every thread.
const SingleByteTables* TablesFor(std::uint32_t codePage)
{
    static std::mutex mutex;
    static std::map<std::uint32_t, std::unique_ptr<SingleByteTables>> tables;
    const std::lock_guard lock(mutex);
    auto it = tables.find(codePage);
    if (it == tables.end()) it = tables.emplace(codePage, BuildTables(codePage)).first;
    return it->second.get();
}

void DecodeByTable(const SingleByteTables& tables, std::span<const std::uint8_t> bytes, std::u16string& out)
{
    const std::size_t start = out.size();
    out.resize(start + bytes.size());
    char16_t* const target = out.data() + start;
    for (std::size_t i = 0; i < bytes.size(); ++i) target[i] = tables.toUnicode[bytes[i]];
}

// A surrogate pair, which no single-byte page holds, and an unpaired half each become
// one "?", as ICU has it. `pendingHigh` carries a high surrogate that ended the piece
// before.
void EncodeByTable(const SingleByteTables& tables, std::u16string_view text, bool last, bool& pendingHigh,
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
            *target++ = tables.fromBmp[c];
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

}  // namespace

void Encode(std::u16string_view text, std::uint32_t codePage, std::vector<std::uint8_t>& out)
{
    if (const SingleByteTables* tables = TablesFor(codePage)) {
        bool pending = false;
        EncodeByTable(*tables, text, true, pending, out);
        return;
    }
    UConverter* converter = ConverterFor(codePage);
    if (!text.empty()) EncodeWith(converter, text, true, out);
}

std::u16string Decode(std::span<const std::uint8_t> bytes, std::uint32_t codePage)
{
    std::u16string out;
    if (const SingleByteTables* tables = TablesFor(codePage)) {
        DecodeByTable(*tables, bytes, out);
        return out;
    }
    UConverter* converter = ConverterFor(codePage);
    if (!bytes.empty()) DecodeWith(converter, bytes, true, out);
    return out;
}

// The page's tables where it has them, else an ICU converter of the object's own.
struct PageConverter::State {
    const SingleByteTables* tables = nullptr;
    ConverterPtr converter;
    bool pendingHigh = false;  // a high surrogate ended the last piece
};

PageConverter::PageConverter(std::uint32_t codePage) : state_(std::make_unique<State>())
{
    state_->tables = TablesFor(codePage);
    if (state_->tables) return;
    state_->converter = OpenConverter(codePage);
    if (!state_->converter) Unsupported();
}

PageConverter::~PageConverter() = default;

void Decoder::Decode(std::span<const std::uint8_t> bytes, bool last, std::u16string& out)
{
    if (state_->tables)
        DecodeByTable(*state_->tables, bytes, out);
    else
        DecodeWith(state_->converter.get(), bytes, last, out);
}

void Encoder::Encode(std::u16string_view text, bool last, std::vector<std::uint8_t>& out)
{
    if (state_->tables)
        EncodeByTable(*state_->tables, text, last, state_->pendingHigh, out);
    else
        EncodeWith(state_->converter.get(), text, last, out);
}

}  // namespace codepages
