// UTF-8 <-> UTF-16 conversion for system strings; the one place where it happens.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Ill-formed sequences become U+FFFD, one for each maximal ill-formed subpart (as
// Unicode recommends and ICU does); never throws on bad input.
std::u16string FromUtf8(std::string_view utf8);

// FromUtf8 piece by piece: a character split between two pieces is put together, and the
// pieces give the text FromUtf8 gives for all of them.
class Utf8Decoder {
public:
    // Appends the text of the next piece to `out`; `last` marks the final piece, after
    // which the bytes of an unfinished character become U+FFFD.
    void Decode(std::string_view bytes, bool last, std::u16string& out);

private:
    char pending_[3] = {};  // the first bytes of a character the next piece may finish
    std::size_t pendingSize_ = 0;
};
// Unpaired surrogates become U+FFFD.
std::string ToUtf8(std::u16string_view utf16);
// ToUtf8 into `out`, which has room for three bytes a unit of `utf16`; returns the
// number of bytes written.
std::size_t WriteUtf8(std::u16string_view utf16, char* out);

// File names as POSIX systems hold them: bytes, usually UTF-8. A byte that is not part of
// a well-formed UTF-8 sequence becomes the lone surrogate U+DC80..U+DCFF, and
// ToNativePath turns such a surrogate back into its byte, so every name round-trips.
std::u16string FromNativePath(std::string_view bytes);
std::string ToNativePath(std::u16string_view path);

// ASCII-only lower-casing; other units pass unchanged.
std::u16string AsciiLower(std::u16string_view s);
