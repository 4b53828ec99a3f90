// One reparse point as a line of a listing: the text form (path, tag name, target) and
// the JSON Lines form. Pure formatters over a decoded view; no I/O.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <Hollin0106/qvxTypes.h>

namespace modReparseListing {

// What was read for one entry, from a mounted volume or an image. `Data` empty means the
// entry could not be read: `Code` says why (and `Detail` which structure, for an image).
struct ListingEntry {
    std::u16string Path;
    std::optional<std::uint64_t> Record;   // the MFT record, for entries read from an image
    Hollin0106::SymlinkTargetError_Const Code = Hollin0106::steSuccess;
    std::vector<std::uint8_t> Data;
    std::u16string RawTarget;
    std::u16string PrintName;
    std::u16string Target;                 // normalised
    std::u16string Detail;
    // Named data streams (name, size), for entries of an image.
    std::vector<std::pair<std::u16string, std::uint64_t>> Streams;
};

// One JSON object on one line (no line break), UTF-8. A readable entry: "path", "tag"
// (number), "tagName" (the catalogue name, else the hex text), "data" (lower-case hex of
// every byte); a mount point or symbolic link adds "substituteName" and "printName", a
// symbolic link "flags", any decoded target "target"; a buffer the reader refused (codes
// 7, 8, 9) adds "code"; named data streams "streams" ([{"name":..,"size":..}]). An entry that cannot be read: "path", "error" (the report's error
// line) and "code", with "detail" when known. "record" for entries of an image. Strings are
// escaped so that any name gives valid JSON: quotes, backslashes and control characters,
// and a UTF-16 unit without its pair as a \u escape of its own.
std::string FormatJsonLine(const ListingEntry& entry);

// The three columns of a listing: the path, the tag's catalogue name (or its hex text)
// and the normalised target (empty when none); for an entry that cannot be read, the
// path, the report's error line and the detail (empty when not known). Control
// characters of names show as U+FFFD, as in the report, so no column holds a tab or a
// line break.
std::array<std::u16string, 3> TextColumns(const ListingEntry& entry);

// One text line: the three columns joined by tabs; the detail and the tab before it are
// left out when there is none.
std::u16string FormatTextLine(const ListingEntry& entry);

// The text of a JSON string literal, quotes included.
std::string JsonString(std::u16string_view text);

}  // namespace modReparseListing
