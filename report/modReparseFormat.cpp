// Formatting of the reparse buffer's fixed fields.
#include "report/modReparseFormat.h"

#include <Hollin0106/AutomationError.h>
#include "common/ByteReader.h"
#include "filelib/modReparsePoint.h"
#include "report/modReparseTags.h"
#include "support/quovixsupport.h"
#include "support/quovixsupportfbe.h"

using namespace Hollin0106;

namespace modReparseFormat {

namespace {

constexpr char16_t kCRLF[] = u"\r\n";
constexpr char16_t kBlankLine[] = u"\r\n\r\n";

// Reads the header field at `offset`, or reports that it lies beyond the data.
template <typename T>
bool Field(std::span<const std::uint8_t> data, std::size_t offset, T& value)
{
    ByteReader reader(data);
    reader.seek(offset);
    if constexpr (sizeof(T) == 2)
        value = reader.u16le();
    else
        value = reader.u32le();
    return reader.ok();
}

std::uint32_t TagOf(std::span<const std::uint8_t> data)
{
    std::uint32_t tag = 0;
    if (!Field(data, 0, tag)) throw AutomationError(errnum::SubscriptOutOfRange, u"modReparseFormat");
    return tag;
}

std::u16string Decimal(std::uint32_t value)
{
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

// "Data length: " and "Reserved: " lines, each only when its field is inside the data.
void AppendLengthAndReserved(std::u16string& text, std::span<const std::uint8_t> data, std::u16string_view lengthLabel,
                             std::u16string_view reservedLabel)
{
    std::uint16_t dataLength = 0;
    std::uint16_t reserved = 0;
    if (Field(data, 4, dataLength)) {
        text += kBlankLine;
        text += lengthLabel;
        text += Decimal(dataLength) + u" bytes";
    }
    if (Field(data, 6, reserved)) {
        text += kCRLF;
        text += reservedLabel;
        text += esHexEx2(reserved);
    }
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

std::u16string FormatGuidReparseBuffer(std::span<const std::uint8_t> data, char16_t bullet)
{
    constexpr int kIndent = 14;
    std::u16string text = u"Reparse tag:  " + modReparseTags::FormatReparseTag(TagOf(data), kIndent, bullet);
    AppendLengthAndReserved(text, data, u"Data length:  ", u"Reserved:     ");
    ByteReader reader(data);
    const auto guid = reader.sub(8, 16);
    if (reader.ok()) text += kCRLF + std::u16string(u"Reparse GUID: ") + esStringFromGUID(guid);
    return asTrimCRLF(text);
}

std::u16string FormatMicrosoftReparseBuffer(std::span<const std::uint8_t> data, const std::u16string& rawTarget,
                                            const std::u16string& printName, bool /*relative*/, char16_t bullet)
{
    constexpr int kIndent = 13;
    const std::uint32_t tag = TagOf(data);
    std::u16string text = u"Reparse tag: " + modReparseTags::FormatReparseTag(tag, kIndent, bullet);
    AppendLengthAndReserved(text, data, u"Data length: ", u"Reserved:    ");

    switch (tag) {
    case modReparsePoint::kTagMountPoint:
    case modReparsePoint::kTagSymlink: {
        text += kBlankLine;
        AppendNameBlock(text, u"Substitute name:", rawTarget);
        AppendNameBlock(text, u"Print name:", printName);
        std::uint32_t flags = 0;
        if (tag == modReparsePoint::kTagSymlink && Field(data, 16, flags))
            text += u"Flags: " + FormatSymlinkFlags(flags, 7, bullet);
        break;
    }
    case modReparsePoint::kTagLxSymlink: {
        text += kBlankLine;
        AppendNameBlock(text, u"Path buffer:", rawTarget);
        std::uint32_t version = 0;
        if (Field(data, 8, version)) text += u"Version: " + Decimal(version);
        break;
    }
    default: break;
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
