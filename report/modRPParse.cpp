// The report driver.
#include "report/modRPParse.h"

#include <array>
#include <memory>

#include "common/SkipOnError.h"
#include <Hollin0106/Variant.h>
#include "common/modArraySize.h"
#include <Hollin0106/qvxFSO.h>
#include "report/modReparseFormat.h"
#include "support/quovixsupport.h"
#include "support/quovixsupportfbe.h"

using namespace Hollin0106;

namespace modRPParse {

namespace {

constexpr char16_t kBlankLine[] = u"\r\n\r\n";
constexpr char16_t kCantRead[] = u"Can't read reparse point data";

}  // namespace

qvxFSO& FileSystemObject()
{
    static qvxFSO instance;
    return instance;
}

std::u16string GetTargetErrorText(std::int32_t code)
{
    static constexpr std::array<const char16_t*, 10> kSuffixes{
        u": unknown error.",
        u": CreateFile() failed.",
        u": DeviceIOControl() failed.",
        u": unsupported reparse tag.",
        u": file or directory not found.",
        u": unsupported operation system.",
        u": not a reparse point.",
        u": invalid size of reparse data (too small for tag or header, or specified variable data size).",
        u": invalid reparse data string size or offset.",
        u": invalid LX symlink version value.",
    };
    if (code < 0 || code >= static_cast<std::int32_t>(kSuffixes.size())) return u".";
    return kSuffixes[static_cast<std::size_t>(code)];
}

void BuildReparseReport(Frontend frontend, std::u16string path, std::u16string& text,
                        std::vector<std::uint8_t>& data)
{
    const bool window = frontend == Frontend::Window;
    const char16_t bullet = window ? u'\u2022' : u'-';
    std::u16string report;
    std::u16string rawTarget;
    std::u16string printName;
    std::int32_t tag = 0;
    bool relative = false;
    std::vector<std::uint8_t> bytes;
    SymlinkTargetError_Const code = steSuccess;

    if (window) SkipOnError([] { ShowReportMessage(u"Reading reparse point..."); });
    SkipOnError([&] { path = esGetFullFileName(path, true); });
    SkipOnError([&] {
        Variant buffer = Variant::RefTo(bytes);
        FileSystemObject().GetSymlinkTargetEx(path, &rawTarget, &printName, &tag, &relative, &buffer, &code);
    });

    const std::int32_t size = modArraySize::GetArraySize(bytes);
    if (size > 0) {
        if (window) SkipOnError([] { ShowReportMessage(u"Parsing result data..."); });
        report = u"File name: " + path + kBlankLine;
        // The layout follows bit 31 of the tag alone.
        SkipOnError([&] {
            report += tag < 0 ? modReparseFormat::FormatMicrosoftReparseBuffer(bytes, rawTarget, printName, relative, bullet)
                              : modReparseFormat::FormatGuidReparseBuffer(bytes, bullet);
            report += kBlankLine;
        });
        SkipOnError([&] {
            std::u16string tail = esExpandByteBuffer2(bytes);
            tail += kBlankLine;
            tail += u"Total reparse data size: " + asFormatLong(size) + u" bytes";
            report += tail;
        });
    } else if (window) {
        report = path + kBlankLine + kCantRead + GetTargetErrorText(code);
    } else {
        report = kCantRead + GetTargetErrorText(code);
    }

    SkipOnError([&] { ShowReportMessage(report); });
    text = report;
    data = bytes;
}

}  // namespace modRPParse
