// Format detection, byte-pair swap, and text encoding and decoding in one pass each.
#include "filelib/modTextEncoding.h"

#include <unicode/ustring.h>

#include <bit>
#include <cstring>

#include "common/AutomationError.h"
#include "common/ByteReader.h"
#include "support/quovixsupport.h"

namespace modTextEncoding {

namespace {

constexpr std::uint8_t kUtf8Mark[] = {0xEF, 0xBB, 0xBF};
constexpr char16_t kUtf16Mark = 0xFEFF;
constexpr UChar32 kReplacement = 0xFFFD;

[[noreturn]] void Raise(std::int32_t number)
{
    throw AutomationError(number, u"qvxFSO");
}

void RequireResolved(const FileFormat& f)
{
    if (f.Encoding < feANSI || f.Encoding > feUTF16 || f.FileBOM < fbNoBOM || f.FileBOM > fbBOM ||
        f.InvertBytes < ibDontInvertBytes || f.InvertBytes > ibInvertBytes)
        Raise(errnum::InvalidProcedureCall);
}

// UTF-16 code units stored at `out`, low byte first or (swapped) high byte first.
void StoreUnits(std::u16string_view units, std::uint8_t* out, bool swapped)
{
    if (!swapped && std::endian::native == std::endian::little) {
        std::memcpy(out, units.data(), units.size() * 2);
        return;
    }
    for (std::size_t i = 0; i < units.size(); ++i) {
        const auto unit = static_cast<std::uint16_t>(units[i]);
        out[2 * i] = static_cast<std::uint8_t>(swapped ? unit >> 8 : unit);
        out[2 * i + 1] = static_cast<std::uint8_t>(swapped ? unit : unit >> 8);
    }
}

std::u16string LoadUnits(std::span<const std::uint8_t> bytes, bool swapped)
{
    std::u16string out(bytes.size() / 2, u'\0');
    if (!swapped && std::endian::native == std::endian::little) {
        std::memcpy(out.data(), bytes.data(), out.size() * 2);
        return out;
    }
    for (std::size_t i = 0; i < out.size(); ++i) {
        const unsigned first = bytes[2 * i];
        const unsigned second = bytes[2 * i + 1];
        out[i] = static_cast<char16_t>(swapped ? first << 8 | second : second << 8 | first);
    }
    return out;
}

void AppendUtf8(std::u16string_view text, std::vector<std::uint8_t>& out)
{
    if (text.empty()) return;
    const std::size_t start = out.size();
    // A UTF-16 unit never needs more than three UTF-8 bytes (a pair needs four for two).
    out.resize(start + text.size() * 3);
    std::int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strToUTF8WithSub(reinterpret_cast<char*>(out.data() + start), static_cast<std::int32_t>(out.size() - start),
                       &length, text.data(), static_cast<std::int32_t>(text.size()), kReplacement, nullptr,
                       &status);
    if (U_FAILURE(status)) Raise(errnum::InvalidProcedureCall);
    out.resize(start + static_cast<std::size_t>(length));
}

std::u16string DecodeUtf8(std::span<const std::uint8_t> bytes)
{
    std::u16string out;
    if (bytes.empty()) return out;
    // Never more UTF-16 units than UTF-8 bytes.
    out.resize(bytes.size());
    std::int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(out.data(), static_cast<std::int32_t>(out.size()), &length,
                         reinterpret_cast<const char*>(bytes.data()), static_cast<std::int32_t>(bytes.size()),
                         kReplacement, nullptr, &status);
    if (U_FAILURE(status)) Raise(errnum::InvalidProcedureCall);
    out.resize(static_cast<std::size_t>(length));
    return out;
}

// ICU counts in 32-bit lengths; the text methods read and write whole files, which may
// be larger, so the UTF-8 conversions go in slices that end on whole characters.
constexpr std::size_t kSlice = std::size_t{1} << 28;

void AppendUtf8Sliced(std::u16string_view text, std::vector<std::uint8_t>& out)
{
    while (text.size() > kSlice) {
        std::size_t cut = kSlice;
        if (text[cut - 1] >= 0xD800 && text[cut - 1] <= 0xDBFF) --cut;  // keep a pair together
        AppendUtf8(text.substr(0, cut), out);
        text.remove_prefix(cut);
    }
    AppendUtf8(text, out);
}

std::u16string DecodeUtf8Sliced(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() <= kSlice) return DecodeUtf8(bytes);
    std::u16string out;
    while (!bytes.empty()) {
        std::size_t cut = std::min(kSlice, bytes.size());
        // Back up to the start of a character: at most three continuation bytes.
        if (cut < bytes.size())
            for (int i = 0; i < 3 && cut > 0 && (bytes[cut] & 0xC0) == 0x80; ++i) --cut;
        out += DecodeUtf8(bytes.first(cut));
        bytes = bytes.subspan(cut);
    }
    return out;
}

}  // namespace

FileFormat DetectFileFormat(std::span<const std::uint8_t> bytes, std::int32_t Count)
{
    FileFormat result;
    if (Count > 0 && static_cast<std::size_t>(Count) > bytes.size()) Raise(errnum::SubscriptOutOfRange);
    if (Count < 2) return result;
    ByteReader reader(bytes);
    const auto head = reader.sub(0, Count == 2 ? 2 : 3);
    if (head[0] == 0xFF && head[1] == 0xFE)
        result = {feUTF16, fbBOM, ibDontInvertBytes};
    else if (head[0] == 0xFE && head[1] == 0xFF)
        result = {feUTF16, fbBOM, ibInvertBytes};
    else if (head.size() == 3 && head[0] == kUtf8Mark[0] && head[1] == kUtf8Mark[1] && head[2] == kUtf8Mark[2])
        result = {feUTF8, fbBOM, ibDontInvertBytes};
    return result;
}

void SwapBytePairs(std::vector<std::uint8_t>& bytes)
{
    const std::size_t pairs = bytes.size() / 2;
    for (std::size_t k = 0; k < pairs * 2; k += 2) std::swap(bytes[k], bytes[k + 1]);
    if (bytes.size() % 2 != 0) Raise(errnum::SubscriptOutOfRange);
}

std::vector<std::uint8_t> EncodeText(std::u16string_view text, const FileFormat& format)
{
    RequireResolved(format);
    const bool marked = format.FileBOM == fbBOM;
    std::vector<std::uint8_t> out;
    switch (format.Encoding) {
    case feUTF8:
        if (marked) out.assign(std::begin(kUtf8Mark), std::end(kUtf8Mark));
        AppendUtf8Sliced(text, out);
        break;
    case feUTF16: {
        const bool swapped = format.InvertBytes == ibInvertBytes;
        const std::size_t markBytes = marked ? 2 : 0;
        out.resize(markBytes + text.size() * 2);
        if (marked) StoreUnits(std::u16string_view(&kUtf16Mark, 1), out.data(), swapped);
        StoreUnits(text, out.data() + markBytes, swapped);
        break;
    }
    default: out = asStrConvB(text); break;
    }
    return out;
}

std::u16string DecodeText(std::span<const std::uint8_t> bytes, const FileFormat& format)
{
    RequireResolved(format);
    const bool marked = format.FileBOM == fbBOM;
    switch (format.Encoding) {
    case feUTF8:
        if (marked) bytes = bytes.subspan(std::min<std::size_t>(bytes.size(), sizeof kUtf8Mark));
        return DecodeUtf8Sliced(bytes);
    case feUTF16: {
        const bool swapped = format.InvertBytes == ibInvertBytes;
        if (swapped && bytes.size() % 2 != 0) Raise(errnum::SubscriptOutOfRange);
        // The mark is one unit, dropped before the units are made.
        if (marked && bytes.size() >= 2) bytes = bytes.subspan(2);
        return LoadUnits(bytes, swapped);
    }
    default: return asStrConvW(bytes);
    }
}

}  // namespace modTextEncoding
