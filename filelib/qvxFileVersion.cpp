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

constexpr std::size_t kHeadBytes = 64 * 1024;
// NE programs keep their resources anywhere in the file; they are small, and a larger
// file is not read whole.
constexpr std::uint64_t kLargestNEFile = 64 * 1024 * 1024;

// The bytes of the file that can hold its version resource: for a PE image the headers
// and sections (not what an installer appends after them), for an NE program the whole
// file; nothing for any other file, so that a large file of another kind is not read.
// Raises the file work's errors.
std::vector<std::uint8_t> ReadExecutable(const std::u16string& FileName)
{
    std::uint64_t length = 0;
    platform::File file = qvxFileWork::OpenToRead(FileName, length);
    std::vector<std::uint8_t> data(static_cast<std::size_t>(std::min<std::uint64_t>(length, kHeadBytes)));
    std::size_t got = 0;
    qvxFileWork::Check(platform::ReadFile(file, data.data(), data.size(), got), FileName);
    data.resize(got);
    std::uint64_t want = 0;
    switch (modPEImage::ReadImageHeader(data).kind) {
    case modPEImage::ImageKind::PE:
        want = modPEImage::ImageExtent(data).value_or(0);
        break;
    case modPEImage::ImageKind::NE:
        want = length <= kLargestNEFile ? length : 0;
        break;
    default:
        break;
    }
    want = std::min(want, length);  // a file cut short keeps what it holds
    if (want <= data.size()) return data;
    const std::size_t have = data.size();
    data.resize(static_cast<std::size_t>(want));
    qvxFileWork::Check(platform::ReadFile(file, data.data() + have, data.size() - have, got), FileName);
    data.resize(have + got);  // a file that shrank meanwhile gives what it still holds
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
