// The code-page service on Windows: the host's pages are the system's own (GetACP and
// GetOEMCP) and text goes through MultiByteToWideChar and WideCharToMultiByte, so every
// page the system has works, with the system's own answers for undefined bytes.
#include "support/codepages/CodePages.h"

#include <windows.h>

#include <algorithm>
#include <memory>

#include <Hollin0106/AutomationError.h>
#include "support/codepages/CodePagesBackend.h"

using namespace Hollin0106;

namespace codepages {

// One code page's conversion, with what a piece left unfinished for the next one.
struct PageConverter::State {
    UINT codePage = 0;
    CPINFO info{};
    // Pages whose conversion carries a state from one character to the next (ISO-2022,
    // UTF-7, ...) or whose characters take more than two bytes other than UTF-8: these
    // are converted whole, when the last piece arrives.
    bool whole = false;
    std::vector<std::uint8_t> pendingBytes;  // the start of a character cut by a piece's end
    std::u16string pendingText;              // a high surrogate, or the whole text so far
};

using Converter = PageConverter::State;

namespace {

constexpr UINT kUtf8 = CP_UTF8;
// Pieces that the system's int lengths count with room to spare.
constexpr std::size_t kPiece = std::size_t{1} << 24;

[[noreturn]] void Unsupported()
{
    throw AutomationError(errnum::InvalidProcedureCall, u"qvxFSO");
}

bool IsStateful(UINT codePage)
{
    return (codePage >= 50220 && codePage <= 50229) || codePage == 52936 || codePage == 65000 ||
           (codePage >= 57002 && codePage <= 57011);
}

// Whether WideCharToMultiByte takes a default character and WC_NO_BEST_FIT_CHARS for
// the page; the documented exceptions take neither.
bool TakesDefaultChar(UINT codePage)
{
    return codePage != kUtf8 && codePage != 65000 && codePage != 42 && codePage != 54936 && !IsStateful(codePage);
}

bool Open(std::uint32_t codePage, Converter& converter)
{
    if (codePage == 0 || codePage > 0xFFFF || codePage == CP_OEMCP || codePage == CP_MACCP ||
        codePage == CP_THREAD_ACP || codePage == CP_SYMBOL || !::IsValidCodePage(codePage))
        return false;
    converter.codePage = codePage;
    if (!::GetCPInfo(codePage, &converter.info)) return false;
    converter.whole = codePage != kUtf8 && (IsStateful(codePage) || converter.info.MaxCharSize > 2);
    return true;
}

bool IsLeadByte(const Converter& c, std::uint8_t byte)
{
    for (int i = 0; i + 1 < MAX_LEADBYTES && c.info.LeadByte[i] != 0; i += 2)
        if (byte >= c.info.LeadByte[i] && byte <= c.info.LeadByte[i + 1]) return true;
    return false;
}

// How many bytes at the end of `bytes` begin a character that the next piece ends.
std::size_t UnfinishedTail(const Converter& c, std::span<const std::uint8_t> bytes)
{
    if (c.codePage == kUtf8) {
        // Up to three bytes back, the last lead byte whose sequence is longer than what
        // follows it.
        for (std::size_t back = 1; back <= std::min<std::size_t>(3, bytes.size()); ++back) {
            const std::uint8_t b = bytes[bytes.size() - back];
            if ((b & 0xC0) == 0x80) continue;  // a continuation byte: look further back
            const std::size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
            return length > back ? back : 0;
        }
        return 0;
    }
    if (c.info.MaxCharSize != 2) return 0;
    // Double-byte pages: walk the characters from the start of the piece.
    std::size_t i = 0;
    while (i < bytes.size()) {
        if (IsLeadByte(c, bytes[i])) {
            if (i + 1 == bytes.size()) return 1;
            i += 2;
        } else {
            ++i;
        }
    }
    return 0;
}

void AppendDecoded(UINT codePage, std::span<const std::uint8_t> bytes, std::u16string& out)
{
    while (!bytes.empty()) {
        std::size_t length = std::min(bytes.size(), kPiece);
        const auto* in = reinterpret_cast<const char*>(bytes.data());
        const int need = ::MultiByteToWideChar(codePage, 0, in, static_cast<int>(length), nullptr, 0);
        if (need <= 0) Unsupported();
        const std::size_t start = out.size();
        out.resize(start + static_cast<std::size_t>(need));
        const int got = ::MultiByteToWideChar(codePage, 0, in, static_cast<int>(length),
                                              reinterpret_cast<wchar_t*>(out.data() + start), need);
        if (got <= 0) {
            out.resize(start);
            Unsupported();
        }
        out.resize(start + static_cast<std::size_t>(got));
        bytes = bytes.subspan(length);
    }
}

// `text` with every unpaired surrogate made "?", which no page can hold; in pages
// without characters beyond the BMP (all but the Unicode ones and GB18030) a pair is
// one character that the page lacks, and one "?" too, where the system would put two.
std::u16string Holdable(std::u16string_view text, bool bmpOnly)
{
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            if (bmpOnly) {
                out.push_back(u'?');
            } else {
                out.push_back(u);
                out.push_back(text[i + 1]);
            }
            ++i;
        } else {
            out.push_back(u >= 0xD800 && u <= 0xDFFF ? u'?' : u);
        }
    }
    return out;
}

void AppendEncoded(UINT codePage, std::u16string_view text, std::vector<std::uint8_t>& out)
{
    const bool defaultChar = TakesDefaultChar(codePage);
    const std::u16string holdable = Holdable(text, defaultChar);
    std::u16string_view rest = holdable;
    const DWORD flags = defaultChar ? WC_NO_BEST_FIT_CHARS : 0;
    while (!rest.empty()) {
        std::size_t length = std::min(rest.size(), kPiece);
        // A pair stays in one piece.
        if (length < rest.size() && rest[length - 1] >= 0xD800 && rest[length - 1] <= 0xDBFF) --length;
        const auto* in = reinterpret_cast<const wchar_t*>(rest.data());
        const int need = ::WideCharToMultiByte(codePage, flags, in, static_cast<int>(length), nullptr, 0,
                                               defaultChar ? "?" : nullptr, nullptr);
        if (need <= 0) Unsupported();
        const std::size_t start = out.size();
        out.resize(start + static_cast<std::size_t>(need));
        const int got = ::WideCharToMultiByte(codePage, flags, in, static_cast<int>(length),
                                              reinterpret_cast<char*>(out.data() + start), need,
                                              defaultChar ? "?" : nullptr, nullptr);
        if (got <= 0) {
            out.resize(start);
            Unsupported();
        }
        out.resize(start + static_cast<std::size_t>(got));
        rest = rest.substr(length);
    }
}

void DecodePiece(Converter& c, std::span<const std::uint8_t> bytes, bool last, std::u16string& out)
{
    if (c.whole || !c.pendingBytes.empty()) {
        c.pendingBytes.insert(c.pendingBytes.end(), bytes.begin(), bytes.end());
        if (c.whole && !last) return;
        std::vector<std::uint8_t> all = std::move(c.pendingBytes);
        c.pendingBytes.clear();
        if (c.whole) {
            AppendDecoded(c.codePage, all, out);
            return;
        }
        DecodePiece(c, all, last, out);
        return;
    }
    const std::size_t tail = last ? 0 : UnfinishedTail(c, bytes);
    AppendDecoded(c.codePage, bytes.first(bytes.size() - tail), out);
    c.pendingBytes.assign(bytes.end() - static_cast<std::ptrdiff_t>(tail), bytes.end());
}

void EncodePiece(Converter& c, std::u16string_view text, bool last, std::vector<std::uint8_t>& out)
{
    std::u16string joined = std::move(c.pendingText);
    c.pendingText.clear();
    joined.append(text);
    if (!last) {
        if (c.whole) {
            c.pendingText = std::move(joined);
            return;
        }
        if (!joined.empty() && joined.back() >= 0xD800 && joined.back() <= 0xDBFF) {
            c.pendingText.assign(1, joined.back());
            joined.pop_back();
        }
    }
    AppendEncoded(c.codePage, joined, out);
}

}  // namespace

std::uint32_t backend::SystemAnsiCodePage()
{
    return ::GetACP();
}

std::uint32_t backend::SystemOemCodePage()
{
    return ::GetOEMCP();
}

bool IsSupportedCodePage(std::uint32_t codePage)
{
    Converter converter;
    return Open(codePage, converter);
}

void Encode(std::u16string_view text, std::uint32_t codePage, std::vector<std::uint8_t>& out)
{
    Converter converter;
    if (!Open(codePage, converter)) Unsupported();
    AppendEncoded(converter.codePage, text, out);
}

std::u16string Decode(std::span<const std::uint8_t> bytes, std::uint32_t codePage)
{
    Converter converter;
    if (!Open(codePage, converter)) Unsupported();
    std::u16string out;
    AppendDecoded(converter.codePage, bytes, out);
    return out;
}

PageConverter::PageConverter(std::uint32_t codePage) : state_(std::make_unique<State>())
{
    if (!Open(codePage, *state_)) Unsupported();
}

PageConverter::~PageConverter() = default;

void Decoder::Decode(std::span<const std::uint8_t> bytes, bool last, std::u16string& out)
{
    DecodePiece(*state_, bytes, last, out);
}

void Encoder::Encode(std::u16string_view text, bool last, std::vector<std::uint8_t>& out)
{
    EncodePiece(*state_, text, last, out);
}

}  // namespace codepages
