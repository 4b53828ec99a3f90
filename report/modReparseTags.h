// The reparse tag line of the report: catalogue name, value field and flag bits.
#pragma once

#include <cstdint>
#include <string>

namespace modReparseTags {

// The catalogue name alone ("IO_REPARSE_TAG_SYMLINK"), else "0xTTTTTTTT".
std::u16string ReparseTagShortName(std::uint32_t tag);

// "NAME (0xTTTTTTTT)" for a catalogued tag (looked up by its full value), else "0xTTTTTTTT".
std::u16string FormatReparseTagName(std::uint32_t tag);

// The name line, then one bullet line for the value field and one for each of the
// bits 31, 30, 29, 28 that is set (bit 29 is the "Name surrogare bit": that spelling is
// the report's own, kept on purpose), each indented by `indent` spaces. Lines joined by
// CR LF, none at either end.
std::u16string FormatReparseTag(std::uint32_t tag, int indent, char16_t bullet);

}  // namespace modReparseTags
