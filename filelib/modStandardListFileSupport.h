// Standard list files: one entry per line, with blank lines and comment lines that the
// readers of qvxFSO can skip. The line splitting and filtering are pure functions over
// bytes and strings; LoadStandardListFile adds the file access.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <Hollin0106/Collection.h>

namespace modStandardListFileSupport {

// The lines of a text read line by line: a line ends at CR LF or at a lone CR, which
// are not part of it (a lone LF is); a last line without an ending counts, an ending at
// the very end gives no further line. No bytes give no lines.
std::vector<std::span<const std::uint8_t>> SplitLineInput(std::span<const std::uint8_t> bytes);

// The lines of a whole text split at every CR LF pair (a lone CR or LF stays in its
// line). A text that ends with CR LF gives a last, empty line; "" gives no lines.
std::vector<std::u16string_view> SplitAtCrLf(std::u16string_view text);

// Adds the entries of `bytes`, read as ANSI text line by line, to `list` with the keys
// "1", "2", ...: blankness and the comment prefix (letter case counts) are judged on
// the line trimmed of blanks, whatever TrimStrings says; TrimStrings decides whether
// the entry is the trimmed line. IsOem reinterprets each entry as OEM text.
void AddLineInputEntries(std::span<const std::uint8_t> bytes, bool IsOem, std::u16string_view CommentPrefix,
                         bool IgnoreBlanks, bool TrimStrings, Hollin0106::Collection& list);

// Adds the entries of a whole text, split at CR LF, to `list` with the keys "1", "2",
// ...: with TrimStrings each line is trimmed first, and only then judged blank; the
// comment prefix is compared without regard to letter case, on the line as it then is.
void AddTextEntries(std::u16string_view text, std::u16string_view CommentChar, bool IgnoreBlanks,
                    bool TrimStrings, Hollin0106::Collection& list);

// Reads `FileName` as ANSI text line by line (see AddLineInputEntries) into a new
// collection. A missing file raises error 53; any failure raises its error (source
// "qvxFSO") after the file is closed.
std::shared_ptr<Hollin0106::Collection> LoadStandardListFile(const std::u16string& FileName, bool IsOem,
                                                 const std::u16string& CommentPrefix, bool IgnoreBlanks,
                                                 bool TrimStrings);

}  // namespace modStandardListFileSupport
