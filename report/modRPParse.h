// The report on one path: a pure function from what was read to the report text (or the
// one-line error text), and a driver that reads, builds the text and hands it to a sink.
// Both programs carry it; they differ in the front-end flavour and in their sink.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <Hollin0106/qvxTypes.h>

namespace Hollin0106 {
class qvxFSO;
}

namespace modRPParse {

enum class Frontend {
    Console,  // bullet "-", no progress lines, error line alone
    Window,   // bullet "•", progress lines, error line after the path and a blank line
};

// What one read of a path brought back: the reader's result code, the raw bytes (empty
// when none came back) and the names it decoded from them.
struct ReparseRead {
    Hollin0106::SymlinkTargetError_Const Code = Hollin0106::steSuccess;
    std::vector<std::uint8_t> Data;
    std::u16string RawTarget;
    std::u16string PrintName;
};

// Receives each text the report shows, in order.
using ReportSink = std::function<void(const std::u16string&)>;

// The program's one library object, created on first use and kept to process end.
Hollin0106::qvxFSO& FileSystemObject();

// The report text for `fullPath` (already made absolute). Any bytes give the full report,
// whatever the code says: file name, header block (left out when the bytes hold no tag),
// byte dump and total size. No bytes give the error text for the code. Names (the path,
// the substitute and print names) show control characters as U+FFFD; the dump shows every
// byte. Never throws.
std::u16string FormatReparseReport(Frontend frontend, const std::u16string& fullPath, const ReparseRead& read);

// Makes `path` absolute, reads it through FileSystemObject() and shows the report through
// `show` (the window flavour shows two progress lines first). On return `text` holds the
// report text and `data` the raw bytes (empty when none came back). Never throws: a
// failing step, `show` included, is skipped and the report goes on with what it has.
void BuildReparseReport(Frontend frontend, std::u16string path, const ReportSink& show, std::u16string& text,
                        std::vector<std::uint8_t>& data);

// The suffix after "Can't read reparse point data" for a reader result code.
std::u16string GetTargetErrorText(std::int32_t code);

// `name` with every C0 and C1 control character and DEL replaced by U+FFFD, so that a
// name can neither fake report lines nor send terminal control sequences.
std::u16string ShowableName(std::u16string_view name);

}  // namespace modRPParse
