// qvxFileVersion: reads the file, finds its version block (modPEImage) and answers the
// properties from it (modVersionResource).
#include <Hollin0106/qvxFileVersion.h>

#include <algorithm>

#include "filelib/modPEImage.h"
#include "filelib/modVersionResource.h"
#include "filelib/qvxFileWork.h"
#include "support/quovixsupportfbe.h"

namespace Hollin0106 {
namespace {

// PE images are limited to 4 GiB by their 32-bit offsets; the loader refuses far less.
// A larger file cannot be one, and is not read.
constexpr std::uint64_t kLargestImage = std::uint64_t{1} << 32;

// The whole file when it starts like an executable ("MZ"); otherwise nothing, so that a
// large file of any other kind is not read whole. Raises the file work's errors.
std::vector<std::uint8_t> ReadExecutable(const std::u16string& FileName)
{
    std::uint64_t length = 0;
    platform::File file = qvxFileWork::OpenToRead(FileName, length);
    if (length < 2 || length > kLargestImage) return {};
    std::vector<std::uint8_t> data(2);
    std::size_t got = 0;
    qvxFileWork::Check(platform::ReadFile(file, data.data(), data.size(), got), FileName);
    if (got < 2 || data[0] != 'M' || data[1] != 'Z') return {};
    data.resize(static_cast<std::size_t>(length));
    qvxFileWork::Check(platform::ReadFile(file, data.data() + 2, data.size() - 2, got), FileName);
    data.resize(2 + got);  // a file that shrank meanwhile gives what it still holds
    return data;
}

}  // namespace

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
    std::vector<std::uint8_t> image;
    if (!qvxFileWork::Guarded(false, [&] { image = ReadExecutable(FileName); })) return false;
    const auto block = modPEImage::FindVersionResource(image);
    if (!block) return false;
    const auto fixed = modVersionResource::VerQueryValue(*block, u"\\");
    const auto translation = modVersionResource::VerQueryValue(*block, u"\\VarFileInfo\\Translation");
    if (!fixed || fixed->bytes.size() != kFixedInfoSize || !translation || translation->bytes.size() < 4)
        return false;
    std::copy(fixed->bytes.begin(), fixed->bytes.end(), fixed_.begin());
    const auto t = translation->bytes;
    languageId_ = static_cast<std::uint16_t>(t[0] | t[1] << 8);
    charset_ = static_cast<std::uint16_t>(t[2] | t[3] << 8);
    buffer_.assign(block->begin(), block->end());
    fileName_ = FileName;
    return true;
}

std::uint16_t qvxFileVersion::High(std::size_t offset) const { return esHiWord(Field(offset)); }
std::uint16_t qvxFileVersion::Low(std::size_t offset) const { return esLoWord(Field(offset)); }

std::u16string qvxFileVersion::GetLanguageName(std::uint16_t LanguageID) const
{
    return modVersionResource::VerLanguageName(LanguageID);
}

std::u16string qvxFileVersion::QueryStringValue(std::u16string_view name, bool* lpStringExist) const
{
    std::u16string text;
    bool exists = false;
    if (!buffer_.empty() && !name.empty()) {
        const std::u16string subBlock = u"\\StringFileInfo\\" + esHex2(languageId_) + esHex2(charset_) + u"\\" +
                                        std::u16string(name);
        const auto value = modVersionResource::VerQueryValue(buffer_, subBlock);
        if (value && !value->bytes.empty()) {
            text = modVersionResource::ValueText(*value);
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
