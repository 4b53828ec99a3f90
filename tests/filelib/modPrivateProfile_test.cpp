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
        {"signed value", "[S]\r\nk=-45\r\n", u"S", u"k", u"-45", -45},
        {"plus sign", "[S]\rk=+8\r", u"S", u"k", u"+8", 8},
        {"no digits gives the default", "[S]\r\nk=x1\r\n", u"S", u"k", u"x1", -7},
        {"empty value", "[S]\r\nk=\r\n", u"S", u"k", u"", -7},
        {"wraps at 32 bits", "[S]\nk=4294967297\n", u"S", u"k", u"4294967297", 1},
        {"missing key", "[S]\r\nother=1\r\n", u"S", u"k", std::nullopt, -7},
        {"key of another section", "[T]\r\nk=1\r\n[S]\r\nj=2\r\n", u"S", u"k", std::nullopt, -7},
        {"key before any section", "k=1\r\n[S]\r\n", u"S", u"k", std::nullopt, -7},
        {"comment is no key", "[S]\r\n;k=1\r\n", u"S", u"k", std::nullopt, -7},
        {"first of two keys", "[S]\r\nk=1\r\nK=2\r\n", u"S", u"k", u"1", 1},
        {"first of two sections", "[S]\r\nk=1\r\n[s]\r\nk=2\r\n", u"S", u"k", u"1", 1},
        {"unclosed header", "[S\r\nk=5", u"S", u"k", u"5", 5},
        {"non-ASCII names", "[\xC4rger]\r\n\xE9t\xE9=9\r\n", u"\u00E4RGER", u"\u00C9T\u00C9", u"9", 9},
        {"no text", "", u"S", u"k", std::nullopt, -7},
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
        {"new text", "", u"ZoneTransfer", u"ZoneId", u"3", "[ZoneTransfer]\r\nZoneId=3\r\n"},
        {"value replaced in place", kDownloaded, u"ZoneTransfer", u"ZoneId", u"4",
         "[ZoneTransfer]\r\nZoneId=4\r\nReferrerUrl=https://example.org/\r\nHostUrl=https://example.org/a.zip\r\n"},
        {"deleted, the rest kept", kDownloaded, u"zonetransfer", u"zoneid", std::nullopt,
         "[ZoneTransfer]\r\nReferrerUrl=https://example.org/\r\nHostUrl=https://example.org/a.zip\r\n"},
        {"line end of the line kept", "[S]\nk = 1\n; note\n", u"S", u"k", u"2", "[S]\nk=2\n; note\n"},
        {"added after the last line of its section", "[S]\r\na=1\r\n\r\n[T]\r\nb=2\r\n", u"S", u"k", u"v",
         "[S]\r\na=1\r\nk=v\r\n\r\n[T]\r\nb=2\r\n"},
        {"added to a last line without end", "[S]\r\na=1", u"S", u"k", u"v", "[S]\r\na=1\r\nk=v\r\n"},
        {"added to an empty section", "[S]\r\n[T]\r\n", u"S", u"k", u"v", "[S]\r\nk=v\r\n[T]\r\n"},
        {"section added at the end", "; c\r\n[T]\r\nb=2", u"S", u"k", u"v", "; c\r\n[T]\r\nb=2\r\n[S]\r\nk=v\r\n"},
        {"deleting a missing key changes nothing", "[S]\r\na=1", u"S", u"k", std::nullopt, "[S]\r\na=1"},
        {"deleting in a missing section changes nothing", "x\n", u"S", u"k", std::nullopt, "x\n"},
        {"replaced last line gets an end", "[S]\r\nk=1", u"S", u"k", u"22", "[S]\r\nk=22\r\n"},
        {"only the first section", "[S]\r\nk=1\r\n[S]\r\nk=1\r\n", u"S", u"k", u"2", "[S]\r\nk=2\r\n[S]\r\nk=1\r\n"},
        {"text the code page lacks", "", u"S", u"k", u"\u00E9\u4E00", "[S]\r\nk=\xE9?\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes out =
            modPrivateProfile::WriteString(B(c.ini), c.section, c.key, c.value ? &*c.value : nullptr);
        EXPECT_EQ(S(out), c.expected);
    }
}

}  // namespace
