// INI reading and in-place writing over bytes, with the Western code pages.
#include <gtest/gtest.h>

#include <optional>

#include "filelib/modPrivateProfile.h"
#include "tests/filelib/FileTestSupport.h"

namespace {

using namespace filetest;

std::string S(const Bytes& b)
{
    return std::string(b.begin(), b.end());
}

using PrivateProfile = WesternCodePages;

// A stream as Windows writes it for a download, with the lines the zone must not disturb.
constexpr std::string_view kDownloaded =
    "[ZoneTransfer]\r\nZoneId=3\r\nReferrerUrl=https://example.org/\r\nHostUrl=https://example.org/a.zip\r\n";

TEST_F(PrivateProfile, Lookups)
{
    const struct {
        const char* name;
        std::string_view ini;
        std::u16string section, key;
        std::optional<std::u16string> value;
        std::int32_t asInt;  // GetInt with default -7
    } cases[] = {
        {"as Windows writes it", kDownloaded, u"ZoneTransfer", u"ZoneId", u"3", 3},
        {"case of names ignored", kDownloaded, u"zonetransfer", u"HOSTURL", u"https://example.org/a.zip", -7},
        {"value and name trimmed", "[S]\n  k \t=  12ab  \n", u"S", u"k", u"12ab", 12},
        {"plus sign", "[S]\rk=+8\r", u"S", u"k", u"+8", 8},
        {"no digits gives the default", "[S]\r\nk=x1\r\n", u"S", u"k", u"x1", -7},
        {"wraps at 32 bits", "[S]\nk=4294967297\n", u"S", u"k", u"4294967297", 1},
        {"key of another section", "[T]\r\nk=1\r\n[S]\r\nj=2\r\n", u"S", u"k", std::nullopt, -7},
        {"key before any section", "k=1\r\n[S]\r\n", u"S", u"k", std::nullopt, -7},
        {"comment is no key", "[S]\r\n;k=1\r\n", u"S", u"k", std::nullopt, -7},
        {"first of two keys", "[S]\r\nk=1\r\nK=2\r\n", u"S", u"k", u"1", 1},
        {"unclosed header", "[S\r\nk=5", u"S", u"k", u"5", 5},
        {"non-ASCII names", "[\xC4rger]\r\n\xE9t\xE9=9\r\n", u"\u00E4RGER", u"\u00C9T\u00C9", u"9", 9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes ini = B(c.ini);
        EXPECT_EQ(modPrivateProfile::GetString(ini, c.section, c.key), c.value);
        EXPECT_EQ(modPrivateProfile::KeyExists(ini, c.section, c.key), c.value.has_value());
        EXPECT_EQ(modPrivateProfile::GetInt(ini, c.section, c.key, -7), c.asInt);
    }
}

TEST_F(PrivateProfile, WritesChangeOnlyTheirLine)
{
    const struct {
        const char* name;
        std::string_view ini;
        std::u16string section, key;
        std::optional<std::u16string> value;  // nothing: delete
        std::string_view expected;
    } cases[] = {
        {"deleted, the rest kept", kDownloaded, u"zonetransfer", u"zoneid", std::nullopt,
         "[ZoneTransfer]\r\nReferrerUrl=https://example.org/\r\nHostUrl=https://example.org/a.zip\r\n"},
        {"line end of the line kept", "[S]\nk = 1\n; note\n", u"S", u"k", u"2", "[S]\nk=2\n; note\n"},
        {"added after the last line of its section", "[S]\r\na=1\r\n\r\n[T]\r\nb=2\r\n", u"S", u"k", u"v",
         "[S]\r\na=1\r\nk=v\r\n\r\n[T]\r\nb=2\r\n"},
        {"added to a last line without end", "[S]\r\na=1", u"S", u"k", u"v", "[S]\r\na=1\r\nk=v\r\n"},
        {"added to an empty section", "[S]\r\n[T]\r\n", u"S", u"k", u"v", "[S]\r\nk=v\r\n[T]\r\n"},
        {"section added at the end", "; c\r\n[T]\r\nk=2", u"S", u"k", u"v", "; c\r\n[T]\r\nk=2\r\n[S]\r\nk=v\r\n"},
        {"deleting a missing key changes nothing", "[S]\r\na=1", u"S", u"k", std::nullopt, "[S]\r\na=1"},
        {"replaced last line gets an end", "[S]\r\nk=1", u"S", u"k", u"22", "[S]\r\nk=22\r\n"},
        {"only the first section", "[S]\r\nk=1\r\n[S]\r\nk=1\r\n", u"S", u"k", u"2", "[S]\r\nk=2\r\n[S]\r\nk=1\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes out =
            modPrivateProfile::WriteString(B(c.ini), c.section, c.key, c.value ? &*c.value : nullptr);
        EXPECT_EQ(S(out), c.expected);
    }
}

// `text` (ASCII and Latin-1 only) as UTF-16 with its byte-order mark.
Bytes Utf16(std::string_view text, bool bigEndian)
{
    Bytes out = bigEndian ? Bytes{0xFE, 0xFF} : Bytes{0xFF, 0xFE};
    for (const char c : text) {
        const auto unit = static_cast<std::uint8_t>(c);
        out.push_back(bigEndian ? 0 : unit);
        out.push_back(bigEndian ? unit : 0);
    }
    return out;
}

// A byte-order mark names the text's encoding; reading and writing keep to it, as the
// profile functions of Windows do, and a write keeps every other byte as it was.
TEST_F(PrivateProfile, TextsInTheEncodingTheirMarkNames)
{
    const std::u16string two = u"2";
    const std::u16string letters = u"\u00E9\u4E00";
    const struct {
        const char* name;
        Bytes ini;
        std::int32_t zone;
        const std::u16string* value;  // written to ZoneId; nothing: deleted
        Bytes expected;
    } cases[] = {
        {"UTF-16LE, value replaced", Utf16("[ZoneTransfer]\r\nZoneId=3\r\nHostUrl=x\r\n", false), 3, &two,
         Utf16("[ZoneTransfer]\r\nZoneId=2\r\nHostUrl=x\r\n", false)},
        {"UTF-16BE, key added", Utf16("[ZoneTransfer]\nHostUrl=x", true), 0, &two,
         Utf16("[ZoneTransfer]\nHostUrl=x\r\nZoneId=2\r\n", true)},
        {"UTF-16LE, a stray last byte stays the last", [] { Bytes b = Utf16("[ZoneTransfer]\r\nHostUrl=x", false);
                                                          b.push_back(0x41); return b; }(), 0, &two,
         [] { Bytes b = Utf16("[ZoneTransfer]\r\nHostUrl=x\r\nZoneId=2\r\n", false); b.push_back(0x41); return b; }()},
        {"UTF-16LE, letters outside ANSI", Utf16("[ZoneTransfer]\r\n", false), 0, &letters,
         [] { Bytes b = Utf16("[ZoneTransfer]\r\nZoneId=", false);
              for (std::uint8_t u : {0xE9, 0x00, 0x00, 0x4E}) b.push_back(u);
              const Bytes end = Utf16("\r\n", false);
              b.insert(b.end(), end.begin() + 2, end.end()); return b; }()},
        {"UTF-8 mark, letters in UTF-8", B("\xEF\xBB\xBF[\xC3\x84]\r\n[ZoneTransfer]\r\n"), 0, &letters,
         B("\xEF\xBB\xBF[\xC3\x84]\r\n[ZoneTransfer]\r\nZoneId=\xC3\xA9\xE4\xB8\x80\r\n")},
        {"no mark: ANSI, the bytes of a mark later are text", B("x\r\n\xFF\xFE[ZoneTransfer]\r\nZoneId=3\r\n"), 0, &two,
         B("x\r\n\xFF\xFE[ZoneTransfer]\r\nZoneId=3\r\n[ZoneTransfer]\r\nZoneId=2\r\n")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(modPrivateProfile::GetInt(c.ini, u"ZoneTransfer", u"ZoneId", 0), c.zone);
        const Bytes out = modPrivateProfile::WriteString(c.ini, u"ZoneTransfer", u"ZoneId", c.value);
        EXPECT_EQ(out, c.expected);
        // What was written reads back.
        EXPECT_EQ(modPrivateProfile::GetString(out, u"ZoneTransfer", u"ZoneId"),
                  c.value ? std::optional<std::u16string>(*c.value) : std::nullopt);
    }
    // UTF-8 names compare as UTF-8.
    EXPECT_EQ(modPrivateProfile::GetString(B("\xEF\xBB\xBF[\xC3\x84rger]\nk=1\n"), u"\u00E4RGER", u"k"), u"1");
}

}  // namespace
