// The text encoding model of qvxFSO: format detection from a file's first bytes, the
// byte-pair swap of big-endian UTF-16, and the rules that turn text into a file's bytes
// and back. Pure functions over bytes and strings.
//
// Byte-order marks (first bytes of the data):
//   FF FE     UTF-16, low byte first        FE FF  UTF-16, high byte first (swapped)
//   EF BB BF  UTF-8
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <Hollin0106/qvxTypes.h>

namespace modTextEncoding {

// A file format with every value resolved (no Auto).
struct FileFormat {
    Hollin0106::FileEncoding_Const Encoding = Hollin0106::feANSI;
    Hollin0106::FileBOM_Const FileBOM = Hollin0106::fbNoBOM;
    Hollin0106::InvertBytes_Const InvertBytes = Hollin0106::ibDontInvertBytes;
    bool operator==(const FileFormat&) const = default;
};

// Detects the format from the first min(Count, 3) bytes of `bytes`: with Count 2 only
// the UTF-16 marks are tested, with Count 3 or more the UTF-8 mark too; anything else,
// and any Count below 2, is ANSI without a mark (there is no guessing of unmarked
// UTF-8 or UTF-16). Raises error 9 when Count exceeds the number of bytes; never fails
// while Count lies within them.
FileFormat DetectFileFormat(std::span<const std::uint8_t> bytes, std::int32_t Count);

// Exchanges the two bytes of each pair in place. An odd length raises error 9 once the
// swap reaches the last byte; the pairs before it have been exchanged by then.
void SwapBytePairs(std::vector<std::uint8_t>& bytes);

// The bytes that store `text` in `format`: ANSI in the host's ANSI code page ("?" for
// characters it cannot hold) and never marked; UTF-8 (unpaired surrogates as U+FFFD)
// after EF BB BF when marked; UTF-16 code units after U+FEFF when marked, low byte
// first, or high byte first with ibInvertBytes. Raises error 5 for an Auto value.
std::vector<std::uint8_t> EncodeText(std::u16string_view text, const FileFormat& format);

// The text that `bytes` hold in `format`. A mark is dropped by position, not checked:
// the first three bytes of UTF-8, the first unit of UTF-16; an ANSI mark stays in the
// text as characters. Ill-formed UTF-8 gives U+FFFD. A final odd byte of little-endian
// UTF-16 belongs to no character and is left out; odd-length big-endian UTF-16 raises
// error 9. Raises error 5 for an Auto value.
std::u16string DecodeText(std::span<const std::uint8_t> bytes, const FileFormat& format);

// EncodeText piece by piece, so that a long text is never held twice as bytes: each
// call of Next gives the next piece, and the pieces together are EncodeText's bytes.
class TextEncoder {
public:
    // Raises error 5 for an Auto value or an ANSI page that cannot be converted. `text`
    // must outlive the encoder.
    TextEncoder(std::u16string_view text, const FileFormat& format);
    ~TextEncoder();
    TextEncoder(const TextEncoder&) = delete;
    TextEncoder& operator=(const TextEncoder&) = delete;

    // The next piece; empty once every byte has been given. Valid until the next call.
    std::span<const std::uint8_t> Next();

private:
    struct Codec;
    std::u16string_view rest_;
    FileFormat format_;
    bool markPending_;
    bool finished_ = false;
    std::vector<std::uint8_t> piece_;
    std::unique_ptr<Codec> codec_;
};

// DecodeText piece by piece: the bytes of a file are fed as they are read, in pieces of
// any size, and Finish gives the same text DecodeText gives for all of them.
class TextDecoder {
public:
    // Raises error 5 for an Auto value or an ANSI page that cannot be converted.
    // `expectedBytes` sizes the text in advance: one allocation large enough for the
    // text of that many bytes, whatever they are; `prepareFill`, when given, is shown that
    // memory before anything is written to it (the file reader passes the platform's
    // large-page hint).
    explicit TextDecoder(const FileFormat& format, std::uint64_t expectedBytes = 0,
                         void (*prepareFill)(void* memory, std::size_t bytes) = nullptr);
    ~TextDecoder();
    TextDecoder(const TextDecoder&) = delete;
    TextDecoder& operator=(const TextDecoder&) = delete;

    void Feed(std::span<const std::uint8_t> bytes);
    // True when Finish will raise error 9: big-endian UTF-16 of an odd length.
    bool OddBigEndian() const;
    // The text of everything fed; the decoder is spent afterwards.
    std::u16string Finish();

private:
    struct Codec;
    FileFormat format_;
    std::uint64_t total_ = 0;  // bytes fed
    std::size_t skip_;         // mark bytes still to drop
    std::vector<std::uint8_t> carry_;  // the first byte of a UTF-16 unit split between pieces
    std::u16string text_;
    std::unique_ptr<Codec> codec_;
};

}  // namespace modTextEncoding
