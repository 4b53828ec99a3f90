// Formatting of the reparse buffer's fixed fields from the decoded header.
#include "report/modReparseFormat.h"

#include "report/modReparseTags.h"
#include "support/quovixsupport.h"
#include "support/quovixsupportfbe.h"

using namespace Hollin0106;

namespace modReparseFormat {

namespace {

constexpr char16_t kCRLF[] = u"\r\n";
constexpr char16_t kBlankLine[] = u"\r\n\r\n";

std::u16string Decimal(std::uint32_t value)
{
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

void AppendNameBlock(std::u16string& text, std::u16string_view label, const std::u16string& name)
{
    if (name.empty()) return;
    text += label;
    text += kCRLF;
    text += name;
    text += kBlankLine;
}

}  // namespace

std::u16string FormatReparseHeader(const ReparseHeader& header, const std::u16string& rawTarget,
                                   const std::u16string& printName, char16_t bullet)
{
    // Labels are padded to one width; the GUID layout's longest, "Reparse GUID: ", is one wider.
    const bool microsoft = header.IsMicrosoft();
    const std::size_t width = microsoft ? 13 : 14;
    const auto label = [width](std::u16string_view name) {
        std::u16string padded(name);
        padded.resize(width, u' ');
        return padded;
    };
    std::u16string text =
        label(u"Reparse tag:") + modReparseTags::FormatReparseTag(header.Tag, static_cast<int>(width), bullet);
    if (header.DataLength) text += kBlankLine + label(u"Data length:") + Decimal(*header.DataLength) + u" bytes";
    if (header.Reserved) text += kCRLF + label(u"Reserved:") + esHexEx2(*header.Reserved);

    if (!microsoft) {
        if (header.Guid) text += kCRLF + label(u"Reparse GUID:") + esStringFromGUID(*header.Guid);
    } else if (header.Tag == kReparseTagMountPoint || header.Tag == kReparseTagSymlink) {
        text += kBlankLine;
        AppendNameBlock(text, u"Substitute name:", rawTarget);
        AppendNameBlock(text, u"Print name:", printName);
        if (header.SymlinkFlags) text += u"Flags: " + FormatSymlinkFlags(*header.SymlinkFlags, 7, bullet);
    } else if (header.Tag == kReparseTagLxSymlink) {
        text += kBlankLine;
        AppendNameBlock(text, u"Path buffer:", rawTarget);
        if (header.LxVersion) text += u"Version: " + Decimal(*header.LxVersion);
    }
    return asTrimCRLF(text);
}

std::u16string FormatSymlinkFlags(std::uint32_t flags, int indent, char16_t bullet)
{
    std::u16string lead = kCRLF;
    lead.append(static_cast<std::size_t>(indent), u' ');
    lead.push_back(bullet);

    std::u16string text = esHexEx4(flags);
    if (flags & 1u) {
        text += lead + u" SYMLINK_FLAG_RELATIVE";
        flags &= ~1u;
    }
    if (flags != 0) text += lead + u" " + esHexEx4(flags);
    return text;
}

}  // namespace modReparseFormat
