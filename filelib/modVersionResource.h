// The VS_VERSIONINFO block of a version resource: a walker that answers the queries of
// the Windows function VerQueryValue, and the English names of language identifiers.
// Pure code over bytes; the block is read only through ByteReader.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace modVersionResource {

// The value of one node of the block.
struct VersionValue {
    std::span<const std::uint8_t> bytes;  // inside the block
    bool isText = false;                  // wType 1: UTF-16 text, else binary
    bool isAnsi = false;                  // a block in the 16-bit layout: 8-bit texts
};

// Answers a query the way VerQueryValue does: `subBlock` is a path of keys separated by
// "\" ("\" alone: the root's value, the VS_FIXEDFILEINFO record; "\VarFileInfo\Translation";
// "\StringFileInfo\040904B0\CompanyName"), each key compared with the children's keys
// without regard to case. Nothing when a key is not found, or when a node's length,
// value length or key runs outside its parent or the block. A text value's length counts
// UTF-16 units; a value that claims more than its node holds is cut at the node's end.
// Blocks of 16-bit Windows programs (no type word, 8-bit keys and texts) are told by
// their root key and walked the same way.
std::optional<VersionValue> VerQueryValue(std::span<const std::uint8_t> block, std::u16string_view subBlock);

// The text of a value up to its first zero (or its end): UTF-16, or for a block in the
// 16-bit layout 8-bit text in the host's ANSI code page.
std::u16string ValueText(const VersionValue& value);

// The English name of a Windows language identifier as Windows prints it: "English
// (United States)", "Russian (Russia)"; 0 and identifiers nobody knows give "Language
// Neutral".
std::u16string VerLanguageName(std::uint16_t languageId);

}  // namespace modVersionResource
