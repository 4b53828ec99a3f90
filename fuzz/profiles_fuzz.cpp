// libFuzzer target: an INI key set and deleted in place, Descript.ion files written and read back.
#include <algorithm>
#include <cstdint>
#include <span>
#include <string>

#include "FuzzCheck.h"
#include "common/Utf16.h"
#include "filelib/modDescriptIon.h"
#include "filelib/modPrivateProfile.h"
#include "support/codepages/CodePages.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    [[maybe_unused]] static const bool pinned = (codepages::SetHostCodePages(1252, 437), true);
    const std::span<const std::uint8_t> bytes(data, size);
    const std::u16string value = FromUtf8(std::to_string(size > 0 ? static_cast<std::int8_t>(data[0]) : 0));
    const auto other = modPrivateProfile::GetString(bytes, u"ZoneTransfer", u"HostUrl");
    const auto written = modPrivateProfile::WriteString(bytes, u"ZoneTransfer", u"ZoneId", &value);
    Check(modPrivateProfile::GetString(written, u"ZoneTransfer", u"ZoneId") == value, "the value written reads back");
    const auto deleted = modPrivateProfile::WriteString(written, u"ZoneTransfer", u"ZoneId", nullptr);
    Check(modPrivateProfile::GetString(deleted, u"ZoneTransfer", u"HostUrl") == other, "another key is left alone");

    const modDescriptIon::Contents read = modDescriptIon::Parse(bytes);
    if (read.Entries.empty()) return 0;
    const auto same = modDescriptIon::Format(bytes, read.Entries, read.UTF8Mode);
    Check(same && std::equal(same->begin(), same->end(), bytes.begin(), bytes.end()),
          "an unchanged file is written back byte for byte");
    const auto anew = modDescriptIon::Format({}, read.Entries, read.UTF8Mode);
    // An OEM file whose first name starts like the UTF-8 mark reads back as UTF-8.
    if (!anew || (!read.UTF8Mode && anew->size() >= 3 && (*anew)[0] == 0xEF && (*anew)[1] == 0xBB && (*anew)[2] == 0xBF))
        return 0;
    const modDescriptIon::Contents again = modDescriptIon::Parse(*anew);
    Check(again.Entries.size() == read.Entries.size(), "a written file holds every entry");
    for (std::size_t i = 0; i < again.Entries.size() && i < read.Entries.size(); ++i)
        Check(again.Entries[i].FileName == read.Entries[i].FileName, "a written name reads back");
    return 0;
}
