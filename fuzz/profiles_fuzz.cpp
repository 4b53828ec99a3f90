// libFuzzer target: INI keys set and deleted in place, Descript.ion files written and read back.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "FuzzCheck.h"
#include "common/Utf16.h"
#include "filelib/modDescriptIon.h"
#include "filelib/modPrivateProfile.h"
#include "support/codepages/CodePages.h"

namespace {

constexpr char16_t kSection[] = u"ZoneTransfer";
constexpr char16_t kKey[] = u"ZoneId";
constexpr char16_t kOther[] = u"HostUrl";

void CheckProfile(std::span<const std::uint8_t> ini, std::int32_t zone)
{
    const auto other = modPrivateProfile::GetString(ini, kSection, kOther);
    const std::u16string value = FromUtf8(std::to_string(zone));
    const auto written = modPrivateProfile::WriteString(ini, kSection, kKey, &value);
    Check(modPrivateProfile::GetString(written, kSection, kKey) == value, "the value written reads back");
    Check(modPrivateProfile::GetInt(written, kSection, kKey, -1) == zone, "the number written reads back");
    Check(modPrivateProfile::GetString(written, kSection, kOther) == other, "another key is left alone");

    const auto deleted = modPrivateProfile::WriteString(written, kSection, kKey, nullptr);
    Check(deleted.size() < written.size(), "deleting removes the key's line");
    Check(modPrivateProfile::GetString(deleted, kSection, kOther) == other, "deleting leaves another key alone");
}

// Whether `text` read back is `written` as a description reads back: without the spaces
// and tabs at its start, and at its end unless the multi-line form kept them.
bool ReadsBackAs(const std::u16string& text, const std::u16string& written)
{
    const auto first = written.find_first_not_of(u" \t");
    if (first == std::u16string::npos) return text.empty();
    const std::u16string front = written.substr(first);
    return text == front || text == front.substr(0, front.find_last_not_of(u" \t") + 1);
}

void CheckDescriptions(std::span<const std::uint8_t> bytes)
{
    const modDescriptIon::Contents read = modDescriptIon::Parse(bytes);
    for (const auto& entry : read.Entries) Check(!entry.FileName.empty(), "no entry without a name");
    if (read.Entries.empty()) return;

    // Nothing changed: every line comes back as it was.
    const auto same = modDescriptIon::Format(bytes, read.Entries, read.UTF8Mode);
    Check(same && std::equal(same->begin(), same->end(), bytes.begin(), bytes.end()),
          "an unchanged file is written back byte for byte");

    // Written anew, the entries read back (descriptions trimmed, as reading trims them).
    const auto written = modDescriptIon::Format({}, read.Entries, read.UTF8Mode);
    if (!written) return;  // a name the format cannot hold: refused
    // An OEM file whose first name is "∩╗┐..." (code page 437) starts like the UTF-8
    // mark and reads back as UTF-8: the format cannot tell them apart.
    const bool looksMarked =
        written->size() >= 3 && (*written)[0] == 0xEF && (*written)[1] == 0xBB && (*written)[2] == 0xBF;
    if (!read.UTF8Mode && looksMarked) return;
    const modDescriptIon::Contents again = modDescriptIon::Parse(*written);
    Check(again.Entries.size() == read.Entries.size(), "a written file holds every entry");
    for (std::size_t i = 0; i < again.Entries.size() && i < read.Entries.size(); ++i) {
        Check(again.Entries[i].FileName == read.Entries[i].FileName, "a written name reads back");
        Check(ReadsBackAs(again.Entries[i].Description, read.Entries[i].Description), "a written text reads back");
    }
    Check(again.UTF8Mode == read.UTF8Mode, "the mode is kept");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool pinned = (codepages::SetHostCodePages(1252, 437), true);
    (void)pinned;
    const std::span<const std::uint8_t> bytes(data, size);
    CheckProfile(bytes, size > 0 ? static_cast<std::int8_t>(data[0]) : 0);
    CheckDescriptions(bytes);
    return 0;
}
