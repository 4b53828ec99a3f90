// qvxFileVersion: the version resource of a Windows executable or library file (PE32 or
// PE32+): the fixed file information, the first translation and its language's name,
// and the standard string values of that translation. Members stand in the order of the
// class's automation interface. A new object is cleared; ReadFile loads everything or
// leaves the object cleared, and the getters never touch the file again.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include <Hollin0106/Variant.h>
#include <Hollin0106/qvxTypes.h>
#include <Hollin0106/Export.h>

namespace Hollin0106 {

class HOLLIN0106_API qvxFileVersion {
public:
    qvxFileVersion() { Clear(); }

    // Forgets the file: FileName and InfoBuffer empty, every number 0, every flag False.
    void Clear();

    // Reads the first version resource of `FileName`. True when the file holds one with
    // a 52-byte fixed file information record and a translation table; False otherwise
    // (missing or unreadable file, no PE image, no version resource, a block whose
    // lengths point outside it, no translation), and the object is then cleared.
    bool ReadFile(const std::u16string& FileName);

    // The file last read successfully; empty after Clear.
    const std::u16string& FileName() const { return fileName_; }
    // A copy of the raw version information: the VS_VERSIONINFO block, on Windows
    // followed by the room GetFileVersionInfo keeps after it; empty after Clear.
    ByteArray InfoBuffer() const { return buffer_; }

    // The fields of the fixed file information, unchanged (also values outside the
    // enumerations).
    std::uint32_t FileDateLS() const { return Field(48); }
    std::uint32_t FileDateMS() const { return Field(44); }
    FileSubType_Const FileSubType() const { return static_cast<FileSubType_Const>(Field(40)); }
    FileType_Const FileType() const { return static_cast<FileType_Const>(Field(36)); }
    FileOS_Const FileOS() const { return static_cast<FileOS_Const>(Field(32)); }
    std::uint32_t Signature() const { return Field(0); }
    std::uint16_t StrucVerMajor() const { return High(4); }
    std::uint16_t StrucVerMinor() const { return Low(4); }
    // Version parts: 0..65535 each.
    std::int32_t ProductVerMajor() const { return High(16); }
    std::int32_t ProductVerMinor() const { return Low(16); }
    std::int32_t ProductVerRevisionMajor() const { return High(20); }
    std::int32_t ProductVerRevisionMinor() const { return Low(20); }
    std::int32_t FileVerMajor() const { return High(8); }
    std::int32_t FileVerMinor() const { return Low(8); }
    std::int32_t FileVerRevisionMajor() const { return High(12); }
    std::int32_t FileVerRevisionMinor() const { return Low(12); }
    std::uint32_t FileFlags() const { return Field(28); }
    std::uint32_t FileFlagsMask() const { return Field(24); }

    // Each flag is True when its bit is set both in the flags and in the flags mask.
    bool FileFlagDebug() const { return Flag(0x1); }
    bool FileFlagSpecialBuild() const { return Flag(0x20); }
    bool FileFlagPrivateBuild() const { return Flag(0x8); }
    bool FileFlagPreRelease() const { return Flag(0x2); }
    bool FileFlagPatched() const { return Flag(0x4); }
    bool FileFlagInfoInferred() const { return Flag(0x10); }

    // The English name of a language identifier: "English (United States)"; 0 gives
    // "Language Neutral".
    std::u16string GetLanguageName(std::uint16_t LanguageID) const;
    // The first translation: language identifier and code page.
    std::uint16_t TranslationLanguageID() const { return languageId_; }
    std::uint16_t TranslationCharset() const { return charset_; }
    std::u16string TranslationLanguageName() const { return GetLanguageName(languageId_); }

    // The string values of the first translation, in full Unicode. `lpStringExist` (when
    // given) becomes True when the value exists; a missing value gives "" and False. Only
    // the first translation's table is asked, with no fallback to another language.
    std::u16string StrComments(bool* lpStringExist = nullptr) const;
    std::u16string StrCompanyName(bool* lpStringExist = nullptr) const;
    std::u16string StrFileDescription(bool* lpStringExist = nullptr) const;
    std::u16string StrFileVersion(bool* lpStringExist = nullptr) const;
    std::u16string StrInternalName(bool* lpStringExist = nullptr) const;
    std::u16string StrLegalCopyright(bool* lpStringExist = nullptr) const;
    std::u16string StrLegalTrademarks(bool* lpStringExist = nullptr) const;
    std::u16string StrOLESelfRegister(bool* lpStringExist = nullptr) const;
    std::u16string StrOriginalFilename(bool* lpStringExist = nullptr) const;
    std::u16string StrPrivateBuild(bool* lpStringExist = nullptr) const;
    std::u16string StrProductName(bool* lpStringExist = nullptr) const;
    std::u16string StrProductVersion(bool* lpStringExist = nullptr) const;
    std::u16string StrSpecialBuild(bool* lpStringExist = nullptr) const;

private:
    static constexpr std::size_t kFixedInfoSize = 52;

    std::uint32_t Field(std::size_t offset) const
    {
        return fixed_[offset] | fixed_[offset + 1] << 8 | fixed_[offset + 2] << 16 |
               static_cast<std::uint32_t>(fixed_[offset + 3]) << 24;
    }
    std::uint16_t High(std::size_t offset) const;
    std::uint16_t Low(std::size_t offset) const;
    bool Flag(std::uint32_t bit) const { return (FileFlags() & FileFlagsMask() & bit) != 0; }
    std::u16string QueryStringValue(std::u16string_view name, bool* lpStringExist) const;

    std::u16string fileName_;
    std::vector<std::uint8_t> buffer_;
    std::array<std::uint8_t, kFixedInfoSize> fixed_{};
    std::uint16_t languageId_ = 0;
    std::uint16_t charset_ = 0;
};

}  // namespace Hollin0106
