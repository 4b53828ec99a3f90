// qvxFileVersion: the file's version information through the platform's version calls
// (the system's version functions on Windows), and the properties answered from it.
#include <Hollin0106/qvxFileVersion.h>

#include <algorithm>

#include "filelib/version/VersionSource.h"
#include "platform/Files.h"
#include "support/quovixsupportfbe.h"

namespace Hollin0106 {

void qvxFileVersion::Clear()
{
    fileName_.clear();
    buffer_.clear();
    buffer_.shrink_to_fit();
    fixed_.fill(0);
    languageId_ = 0;
    charset_ = 0;
}

bool qvxFileVersion::ReadFile(const std::u16string& FileName)
{
    Clear();
    std::vector<std::uint8_t> info;
    if (version::ReadVersionInfo(FileName, info)) return false;
    const auto fixed = version::QueryBinaryValue(info, u"\\");
    const auto translation = version::QueryBinaryValue(info, u"\\VarFileInfo\\Translation");
    if (!fixed || fixed->size() != kFixedInfoSize || !translation || translation->size() < 4) return false;
    std::copy(fixed->begin(), fixed->end(), fixed_.begin());
    const auto& t = *translation;
    languageId_ = static_cast<std::uint16_t>(t[0] | t[1] << 8);
    charset_ = static_cast<std::uint16_t>(t[2] | t[3] << 8);
    buffer_ = std::move(info);
    fileName_ = FileName;
    return true;
}

std::uint16_t qvxFileVersion::High(std::size_t offset) const { return esHiWord(Field(offset)); }
std::uint16_t qvxFileVersion::Low(std::size_t offset) const { return esLoWord(Field(offset)); }

std::u16string qvxFileVersion::GetLanguageName(std::uint16_t LanguageID) const
{
    return version::LanguageName(LanguageID);
}

std::u16string qvxFileVersion::QueryStringValue(std::u16string_view name, bool* lpStringExist) const
{
    std::u16string text;
    bool exists = false;
    if (!buffer_.empty() && !name.empty()) {
        const std::u16string subBlock = u"\\StringFileInfo\\" + esHex2(languageId_) + esHex2(charset_) + u"\\" +
                                        std::u16string(name);
        if (auto value = version::QueryTextValue(buffer_, subBlock)) {
            text = std::move(*value);
            exists = true;
        }
    }
    if (lpStringExist) *lpStringExist = exists;
    return text;
}

#define TAGSCOPE_VERSION_STRING(Property, Name) \
    std::u16string qvxFileVersion::Property(bool* lpStringExist) const { return QueryStringValue(Name, lpStringExist); }
TAGSCOPE_VERSION_STRING(StrComments, u"Comments")
TAGSCOPE_VERSION_STRING(StrCompanyName, u"CompanyName")
TAGSCOPE_VERSION_STRING(StrFileDescription, u"FileDescription")
TAGSCOPE_VERSION_STRING(StrFileVersion, u"FileVersion")
TAGSCOPE_VERSION_STRING(StrInternalName, u"InternalName")
TAGSCOPE_VERSION_STRING(StrLegalCopyright, u"LegalCopyright")
TAGSCOPE_VERSION_STRING(StrLegalTrademarks, u"LegalTrademarks")
TAGSCOPE_VERSION_STRING(StrOLESelfRegister, u"OLESelfRegister")
TAGSCOPE_VERSION_STRING(StrOriginalFilename, u"OriginalFilename")
TAGSCOPE_VERSION_STRING(StrPrivateBuild, u"PrivateBuild")
TAGSCOPE_VERSION_STRING(StrProductName, u"ProductName")
TAGSCOPE_VERSION_STRING(StrProductVersion, u"ProductVersion")
TAGSCOPE_VERSION_STRING(StrSpecialBuild, u"SpecialBuild")
#undef TAGSCOPE_VERSION_STRING

}  // namespace Hollin0106
