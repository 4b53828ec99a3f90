// The report driver: one path in, the report text (or a one-line error text) and the
// raw reparse bytes out. Both programs carry it; they differ in the front-end flavour.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Hollin0106 {
class qvxFSO;
}

namespace modRPParse {

enum class Frontend {
    Console,  // bullet "-", no progress lines, error line alone
    Window,   // bullet "•", progress lines, error line after the path and a blank line
};

// The program's one library object, created on first use and kept to process end.
Hollin0106::qvxFSO& FileSystemObject();

// Builds the report for `path` and shows it through ShowReportMessage (the window flavour
// shows two progress lines first). On return `text` holds the final text and `data` a copy
// of the raw bytes (empty when none came back). Never throws: a failing step is skipped
// and the report goes on with what it has.
void BuildReparseReport(Frontend frontend, std::u16string path, std::u16string& text,
                        std::vector<std::uint8_t>& data);

// The suffix after "Can't read reparse point data" for a reader result code.
std::u16string GetTargetErrorText(std::int32_t code);

// The front-end's output hook; each program defines it.
void ShowReportMessage(const std::u16string& text);

}  // namespace modRPParse
