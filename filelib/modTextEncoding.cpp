// Format detection, byte-pair swap, and text encoding and decoding in one pass each.
#include "filelib/modTextEncoding.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>
#include <optional>

#include <Hollin0106/AutomationError.h>
#include "common/ByteReader.h"
#include "common/Utf16.h"
#include "support/codepages/CodePages.h"

using namespace Hollin0106;

namespace modTextEncoding {

namespace {

constexpr std::uint8_t kUtf8Mark[] = {0xEF, 0xBB, 0xBF};
constexpr char16_t kUtf16Mark = 0xFEFF;

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
    // No units may come with no buffer at all, which memcpy must not see.
    if (units.empty()) return;
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


// Appends the UTF-8 bytes of `text` to `out`.
void AppendUtf8(std::u16string_view text, std::vector<std::uint8_t>& out)
{
    const std::size_t start = out.size();
    out.resize(start + text.size() * 3);
    out.resize(start + WriteUtf8(text, reinterpret_cast<char*>(out.data() + start)));
}

void AppendUnits(std::span<const std::uint8_t> bytes, bool swapped, std::u16string& out)
{
    const std::size_t start = out.size();
    const std::size_t units = bytes.size() / 2;
    if (units == 0) return;
    out.resize(start + units);
    char16_t* const target = out.data() + start;
    if (!swapped && std::endian::native == std::endian::little) {
        std::memcpy(target, bytes.data(), units * 2);
        return;
    }
    for (std::size_t i = 0; i < units; ++i) {
        const unsigned first = bytes[2 * i];
        const unsigned second = bytes[2 * i + 1];
        target[i] = static_cast<char16_t>(swapped ? first << 8 | second : second << 8 | first);
    }
}

// Pieces are small enough to stay in the cache while they are converted, and keep
// the converters' 32-bit lengths far away.
constexpr std::size_t kPieceUnits = std::size_t{1} << 17;
constexpr std::size_t kFeedSlice = std::size_t{1} << 18;

bool IsHighSurrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
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
    TextEncoder encoder(text, format);
    std::vector<std::uint8_t> out;
    for (auto piece = encoder.Next(); !piece.empty(); piece = encoder.Next())
        out.insert(out.end(), piece.begin(), piece.end());
    return out;
}

std::u16string DecodeText(std::span<const std::uint8_t> bytes, const FileFormat& format)
{
    TextDecoder decoder(format, bytes.size());
    decoder.Feed(bytes);
    return decoder.Finish();
}

// ---- TextEncoder -------------------------------------------------------------------

struct TextEncoder::Codec {
    explicit Codec(std::uint32_t codePage) : ansi(codePage) {}
    codepages::Encoder ansi;
};

TextEncoder::TextEncoder(std::u16string_view text, const FileFormat& format)
    : rest_(text), format_(format), markPending_(format.FileBOM == fbBOM && format.Encoding != feANSI)
{
    RequireResolved(format);
    if (format.Encoding == feANSI) codec_ = std::make_unique<Codec>(codepages::HostAnsiCodePage());
}

TextEncoder::~TextEncoder() = default;

std::span<const std::uint8_t> TextEncoder::Next()
{
    piece_.clear();
    const bool swapped = format_.InvertBytes == ibInvertBytes;
    if (markPending_) {
        markPending_ = false;
        if (format_.Encoding == feUTF8) {
            piece_.assign(std::begin(kUtf8Mark), std::end(kUtf8Mark));
        } else {
            piece_.resize(2);
            StoreUnits(std::u16string_view(&kUtf16Mark, 1), piece_.data(), swapped);
        }
    }
    while (piece_.empty() && !finished_) {
        std::size_t n = std::min(kPieceUnits, rest_.size());
        // A surrogate pair stays in one piece: UTF-8 needs both halves at once.
        if (n < rest_.size() && IsHighSurrogate(rest_[n - 1])) --n;
        const std::u16string_view slice = rest_.substr(0, n);
        rest_.remove_prefix(n);
        finished_ = rest_.empty();
        switch (format_.Encoding) {
        case feUTF8: AppendUtf8(slice, piece_); break;
        case feUTF16:
            piece_.resize(slice.size() * 2);
            StoreUnits(slice, piece_.data(), swapped);
            break;
        default: codec_->ansi.Encode(slice, finished_, piece_); break;
        }
    }
    return piece_;
}

// ---- TextDecoder -------------------------------------------------------------------

// ANSI and UTF-8 go through streaming decoders, which keep a character split between
// two pieces until the next one finishes it.
struct TextDecoder::Codec {
    std::optional<codepages::Decoder> ansi;
    Utf8Decoder utf8;
};

TextDecoder::TextDecoder(const FileFormat& format, std::uint64_t expectedBytes,
                         void (*prepareFill)(void* memory, std::size_t bytes))
    : format_(format),
      skip_(format.FileBOM != fbBOM ? 0 : format.Encoding == feUTF8 ? sizeof kUtf8Mark : format.Encoding == feUTF16 ? 2 : 0)
{
    RequireResolved(format);
    codec_ = std::make_unique<Codec>();
    if (format.Encoding == feANSI) codec_->ansi.emplace(codepages::HostAnsiCodePage());
    // Reserved, not touched: memory is only used as the text grows into it.
    const std::uint64_t units = format.Encoding == feUTF16 ? expectedBytes / 2 : expectedBytes;
    if (units > text_.max_size()) throw std::bad_alloc();
    text_.reserve(static_cast<std::size_t>(units));
    if (prepareFill && units > 0) prepareFill(text_.data(), text_.capacity() * sizeof(char16_t));
}

TextDecoder::~TextDecoder() = default;

void TextDecoder::Feed(std::span<const std::uint8_t> bytes)
{
    total_ += bytes.size();
    const std::size_t drop = std::min(skip_, bytes.size());
    bytes = bytes.subspan(drop);
    skip_ -= drop;
    while (!bytes.empty()) {
        std::span<const std::uint8_t> slice = bytes.first(std::min(kFeedSlice, bytes.size()));
        bytes = bytes.subspan(slice.size());
        switch (format_.Encoding) {
        case feUTF8:
            codec_->utf8.Decode({reinterpret_cast<const char*>(slice.data()), slice.size()}, false, text_);
            break;
        case feUTF16: {
            const bool swapped = format_.InvertBytes == ibInvertBytes;
            if (!carry_.empty()) {
                const std::uint8_t pair[2] = {carry_[0], slice[0]};
                AppendUnits(pair, swapped, text_);
                carry_.clear();
                slice = slice.subspan(1);
            }
            AppendUnits(slice, swapped, text_);
            if (slice.size() % 2 != 0) carry_.assign(1, slice.back());
            break;
        }
        default: codec_->ansi->Decode(slice, false, text_); break;
        }
    }
}

bool TextDecoder::OddBigEndian() const
{
    return format_.Encoding == feUTF16 && format_.InvertBytes == ibInvertBytes && total_ % 2 != 0;
}

std::u16string TextDecoder::Finish()
{
    // The swap of the pairs meets a last byte without partner.
    if (OddBigEndian()) Raise(errnum::SubscriptOutOfRange);
    switch (format_.Encoding) {
    case feUTF8: codec_->utf8.Decode({}, true, text_); break;
    case feUTF16: break;  // a last odd byte of little-endian data belongs to no character
    default: codec_->ansi->Decode({}, true, text_); break;
    }
    carry_.clear();
    return std::move(text_);
}

}  // namespace modTextEncoding
