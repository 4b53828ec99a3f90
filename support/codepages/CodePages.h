// The host's ANSI and OEM code pages, and text conversion through a Windows code page: the
// code-page service, on ICU's converters on Linux (CodePages_icu.cpp) and on the system's
// own conversions on Windows (CodePages_win32.cpp).
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace codepages {

// The ANSI and OEM code pages Windows assigns to the language of a POSIX locale name
// ("ru_RU.UTF-8" -> 1251 and 866; "C", "POSIX" and "en_US" -> 1252 and 437; other
// Western languages -> 1252 and 850). Unknown languages get the Western pair.
std::uint32_t AnsiCodePageForLocale(std::string_view locale);
std::uint32_t OemCodePageForLocale(std::string_view locale);

// The code pages in use: those set by SetHostCodePages, else the user's locale's.
std::uint32_t HostAnsiCodePage();
std::uint32_t HostOemCodePage();

// Replaces the host's ANSI and OEM code pages for this process; 0 returns that one to
// the locale's. Raises error 5 (source "qvxFSO") for a code page that cannot be
// converted, and then changes neither.
void SetHostCodePages(std::uint32_t ansiCodePage, std::uint32_t oemCodePage);

// True when text can be converted through `codePage`.
bool IsSupportedCodePage(std::uint32_t codePage);

// Appends `text` in `codePage` to `out`. A character that the page cannot hold (an
// unpaired surrogate too) becomes "?". Raises error 5 for an unsupported code page.
void Encode(std::u16string_view text, std::uint32_t codePage, std::vector<std::uint8_t>& out);

// The text that `bytes` hold in `codePage`. Every byte of a single-byte page is a
// character, as on Windows: a byte the page leaves undefined becomes the character
// Windows gives it (a C1 control or a private-use character), which Encode turns back
// into that byte. In other pages, bytes that form no character become U+FFFD (or U+001A
// where the page says so). Raises error 5 for an unsupported page.
std::u16string Decode(std::span<const std::uint8_t> bytes, std::uint32_t codePage);

// What a Decoder or an Encoder converts through: a converter of the object's own, which
// each system's implementation defines.
class PageConverter {
public:
    struct State;  // each system's converter, defined by its implementation

protected:
    // Raises error 5 for an unsupported code page.
    explicit PageConverter(std::uint32_t codePage);
    ~PageConverter();
    PageConverter(const PageConverter&) = delete;
    PageConverter& operator=(const PageConverter&) = delete;

    std::unique_ptr<State> state_;
};

// Conversion of a long text or byte stream piece by piece through one code page: a
// character split between two pieces is put together, and the results equal those of
// Encode and Decode over the whole. Each object has a converter of its own.
class Decoder : private PageConverter {
public:
    // Raises error 5 for an unsupported code page.
    explicit Decoder(std::uint32_t codePage) : PageConverter(codePage) {}

    // Appends the text of the next piece to `out`; `last` marks the final piece, after
    // which bytes left of an unfinished character become U+FFFD.
    void Decode(std::span<const std::uint8_t> bytes, bool last, std::u16string& out);
};

class Encoder : private PageConverter {
public:
    // Raises error 5 for an unsupported code page.
    explicit Encoder(std::uint32_t codePage) : PageConverter(codePage) {}

    // Appends the bytes of the next piece of text to `out`; `last` marks the final piece
    // (a high surrogate left at the end of a piece waits for the next one).
    void Encode(std::u16string_view text, bool last, std::vector<std::uint8_t>& out);
};

}  // namespace codepages
