// The report driver.
#include "report/modRPParse.h"

#include <array>

#include "common/SkipOnError.h"
#include <Hollin0106/Variant.h>
#include "common/modArraySize.h"
#include <Hollin0106/ReparseHeader.h>
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

std::u16string ShowableName(std::u16string_view name)
{
    std::u16string shown(name);
    for (char16_t& c : shown)
        if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) c = u'\uFFFD';
    return shown;
}

std::u16string FormatReparseReport(Frontend frontend, const std::u16string& fullPath, const ReparseRead& read)
{
    const bool window = frontend == Frontend::Window;
    const std::u16string path = ShowableName(fullPath);
    if (read.Data.empty()) {
        const std::u16string error = kCantRead + GetTargetErrorText(read.Code);
        return window ? path + kBlankLine + error : error;
    }

    std::u16string report = u"File name: " + path + kBlankLine;
    SkipOnError([&] {
        // The layout follows bit 31 of the tag alone; fewer than 4 bytes hold no tag.
        const auto header = DecodeReparseHeader(read.Data);
        if (!header) return;
        report += modReparseFormat::FormatReparseHeader(*header, ShowableName(read.RawTarget),
                                                        ShowableName(read.PrintName), window ? u'\u2022' : u'-');
        report += kBlankLine;
    });
    SkipOnError([&] {
        std::u16string tail = esExpandByteBuffer2(read.Data);
        tail += kBlankLine;
        tail += u"Total reparse data size: " + asFormatLong(modArraySize::GetArraySize(read.Data)) + u" bytes";
        report += tail;
    });
    return report;
}

void BuildReparseReport(Frontend frontend, std::u16string path, const ReportSink& show, std::u16string& text,
                        std::vector<std::uint8_t>& data)
{
    const bool window = frontend == Frontend::Window;
    const auto send = [&show](const std::u16string& message) { SkipOnError([&] { show(message); }); };

    if (window) send(u"Reading reparse point...");
    SkipOnError([&] { path = esGetFullFileName(path, true); });
    ReparseRead read;
    SkipOnError([&] {
        Variant buffer = Variant::RefTo(read.Data);
        FileSystemObject().GetSymlinkTargetEx(path, &read.RawTarget, &read.PrintName, nullptr, nullptr, &buffer,
                                              &read.Code);
    });
    if (window && !read.Data.empty()) send(u"Parsing result data...");
    text = FormatReparseReport(frontend, path, read);
    send(text);
    data = std::move(read.Data);
}

}  // namespace modRPParse
