// Reparse tag catalogue (values from Microsoft's ntifs.h / [MS-FSCC] 2.1.2.1) and the tag bits.
#include "report/modReparseTags.h"

#include <array>

#include "support/quovixsupportfbe.h"

namespace modReparseTags {

namespace {

struct TagName {
    std::uint32_t tag;
    const char16_t* name;
};

constexpr std::array<TagName, 55> kCatalogue{{
    {0x00000000, u"IO_REPARSE_TAG_RESERVED_ZERO"},
    {0x00000001, u"IO_REPARSE_TAG_RESERVED_ONE"},
    {0x00000002, u"IO_REPARSE_TAG_RESERVED_TWO"},
    {0xA0000003, u"IO_REPARSE_TAG_MOUNT_POINT"},
    {0xC0000004, u"IO_REPARSE_TAG_HSM"},
    {0x80000005, u"IO_REPARSE_TAG_DRIVE_EXTENDER"},
    {0x80000006, u"IO_REPARSE_TAG_HSM2"},
    {0x80000007, u"IO_REPARSE_TAG_SIS"},
    {0x80000008, u"IO_REPARSE_TAG_WIM"},
    {0x80000009, u"IO_REPARSE_TAG_CSV"},
    {0x8000000A, u"IO_REPARSE_TAG_DFS"},
    {0x8000000B, u"IO_REPARSE_TAG_FILTER_MANAGER"},
    {0xA000000C, u"IO_REPARSE_TAG_SYMLINK"},
    {0xA0000010, u"IO_REPARSE_TAG_IIS_CACHE"},
    {0x80000012, u"IO_REPARSE_TAG_DFSR"},
    {0x80000013, u"IO_REPARSE_TAG_DEDUP"},
    {0xC0000014, u"IO_REPARSE_TAG_APPXSTRM"},
    {0x80000014, u"IO_REPARSE_TAG_NFS"},
    {0x80000015, u"IO_REPARSE_TAG_FILE_PLACEHOLDER"},
    {0x80000016, u"IO_REPARSE_TAG_DFM"},
    {0x80000017, u"IO_REPARSE_TAG_WOF"},
    {0x80000018, u"IO_REPARSE_TAG_WCI"},
    {0x90001018, u"IO_REPARSE_TAG_WCI_1"},
    {0xA0000019, u"IO_REPARSE_TAG_GLOBAL_REPARSE"},
    {0x9000001A, u"IO_REPARSE_TAG_CLOUD"},
    {0x9000101A, u"IO_REPARSE_TAG_CLOUD_1"},
    {0x9000201A, u"IO_REPARSE_TAG_CLOUD_2"},
    {0x9000301A, u"IO_REPARSE_TAG_CLOUD_3"},
    {0x9000401A, u"IO_REPARSE_TAG_CLOUD_4"},
    {0x9000501A, u"IO_REPARSE_TAG_CLOUD_5"},
    {0x9000601A, u"IO_REPARSE_TAG_CLOUD_6"},
    {0x9000701A, u"IO_REPARSE_TAG_CLOUD_7"},
    {0x9000801A, u"IO_REPARSE_TAG_CLOUD_8"},
    {0x9000901A, u"IO_REPARSE_TAG_CLOUD_9"},
    {0x9000A01A, u"IO_REPARSE_TAG_CLOUD_A"},
    {0x9000B01A, u"IO_REPARSE_TAG_CLOUD_B"},
    {0x9000C01A, u"IO_REPARSE_TAG_CLOUD_C"},
    {0x9000D01A, u"IO_REPARSE_TAG_CLOUD_D"},
    {0x9000E01A, u"IO_REPARSE_TAG_CLOUD_E"},
    {0x9000F01A, u"IO_REPARSE_TAG_CLOUD_F"},
    {0x8000001B, u"IO_REPARSE_TAG_APPEXECLINK"},
    {0x9000001C, u"IO_REPARSE_TAG_PROJFS"},
    {0xA000001D, u"IO_REPARSE_TAG_LX_SYMLINK"},
    {0x8000001E, u"IO_REPARSE_TAG_STORAGE_SYNC"},
    {0x90000027, u"IO_REPARSE_TAG_STORAGE_SYNC_FOLDER"},
    {0xA000001F, u"IO_REPARSE_TAG_WCI_TOMBSTONE"},
    {0x80000020, u"IO_REPARSE_TAG_UNHANDLED"},
    {0x80000021, u"IO_REPARSE_TAG_ONEDRIVE"},
    {0xA0000022, u"IO_REPARSE_TAG_PROJFS_TOMBSTONE"},
    {0x80000023, u"IO_REPARSE_TAG_AF_UNIX"},
    {0x80000024, u"IO_REPARSE_TAG_LX_FIFO"},
    {0x80000025, u"IO_REPARSE_TAG_LX_CHR"},
    {0x80000026, u"IO_REPARSE_TAG_LX_BLK"},
    {0xA0000027, u"IO_REPARSE_TAG_WCI_LINK"},
    {0xA0001027, u"IO_REPARSE_TAG_WCI_LINK_1"},
}};

struct TagBit {
    std::uint32_t mask;
    const char16_t* text;
};

// In the order the report lists them.
constexpr std::array<TagBit, 4> kTagBits{{
    {0x80000000, u" Microsoft bit"},
    {0x40000000, u" Reserved bit"},
    // "surrogare" (not "surrogate") is how the report has always spelt it; scripts that
    // read reports match it, so it stays.
    {0x20000000, u" Name surrogare bit"},
    {0x10000000, u" Directory bit"},
}};

}  // namespace

std::u16string ReparseTagShortName(std::uint32_t tag)
{
    for (const TagName& entry : kCatalogue)
        if (entry.tag == tag) return entry.name;
    return esHexEx4(tag);
}

std::u16string FormatReparseTagName(std::uint32_t tag)
{
    for (const TagName& entry : kCatalogue)
        if (entry.tag == tag) return std::u16string(entry.name) + u" (" + esHexEx4(tag) + u")";
    return esHexEx4(tag);
}

std::u16string FormatReparseTag(std::uint32_t tag, int indent, char16_t bullet)
{
    std::u16string lead = u"\r\n";
    lead.append(static_cast<std::size_t>(indent), u' ');
    lead.push_back(bullet);

    std::u16string text = FormatReparseTagName(tag);
    text += lead + u" Value: " + esHexEx2(static_cast<std::uint16_t>(tag & 0xFFFF));
    for (const TagBit& bit : kTagBits)
        if (tag & bit.mask) text += lead + bit.text;
    return text;
}

}  // namespace modReparseTags
