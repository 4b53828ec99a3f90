// qvxFileVersion over the built images: fixed information, flags, translation, strings,
// and the cleared state after every kind of failure.
#include <gtest/gtest.h>

#include "common/Utf16.h"
#include "filelib/qvxFileVersion.h"
#include "tests/filelib/VersionImages.h"

namespace {

std::u16string Image(const std::string& name) { return FromUtf8(versiontest::ImagePath(name).string()); }

TEST(qvxFileVersion, ReadsTheFixedInformationOf32And64BitImages)
{
    for (const char* name : {"full64.dll", "full32.dll"}) {
        SCOPED_TRACE(name);
        qvxFileVersion v;
        ASSERT_TRUE(v.ReadFile(Image(name)));
        EXPECT_EQ(v.FileName(), Image(name));
        EXPECT_EQ(v.Signature(), 0xFEEF04BDu);
        EXPECT_EQ(v.StrucVerMajor(), 1);
        EXPECT_EQ(v.StrucVerMinor(), 0);
        const std::int32_t product[] = {v.ProductVerMajor(), v.ProductVerMinor(), v.ProductVerRevisionMajor(),
                                        v.ProductVerRevisionMinor()};
        const std::int32_t file[] = {v.FileVerMajor(), v.FileVerMinor(), v.FileVerRevisionMajor(),
                                     v.FileVerRevisionMinor()};
        EXPECT_EQ(std::vector<std::int32_t>(product, product + 4), (std::vector<std::int32_t>{1, 2, 3, 40000}));
        EXPECT_EQ(std::vector<std::int32_t>(file, file + 4), (std::vector<std::int32_t>{5, 6, 7, 8}));
        EXPECT_EQ(v.FileFlagsMask(), 0x29u);
        EXPECT_EQ(v.FileFlags(), 0x2Bu);
        // Set and in the mask: debug (1h), private build (8h), special build (20h);
        // pre-release (2h) is set but outside the mask.
        EXPECT_TRUE(v.FileFlagDebug());
        EXPECT_TRUE(v.FileFlagPrivateBuild());
        EXPECT_TRUE(v.FileFlagSpecialBuild());
        EXPECT_FALSE(v.FileFlagPreRelease());
        EXPECT_FALSE(v.FileFlagPatched());
        EXPECT_FALSE(v.FileFlagInfoInferred());
        EXPECT_EQ(v.FileOS(), FileOS_NT_Windows32);
        EXPECT_EQ(v.FileType(), FileType_DLL);
        EXPECT_EQ(v.FileSubType(), FileSubType_Unknown);
        EXPECT_EQ(v.TranslationLanguageID(), 0x0409);
        EXPECT_EQ(v.TranslationCharset(), 0x04B0);
        EXPECT_EQ(v.TranslationLanguageName(), u"English (United States)");
        EXPECT_FALSE(v.InfoBuffer().empty());
    }
}

TEST(qvxFileVersion, StringsComeFromTheFirstTranslationOnly)
{
    struct Row {
        const char* image;
        std::u16string (qvxFileVersion::*property)(bool*) const;
        std::u16string_view text;
        bool exists;
    };
    const Row rows[] = {
        {"full64.dll", &qvxFileVersion::StrCompanyName, u"Орла Венн — Ørsted", true},
        {"full64.dll", &qvxFileVersion::StrFileDescription, u"Version test image", true},
        {"full32.dll", &qvxFileVersion::StrProductVersion, u"1.2.3.40000", true},
        {"full64.dll", &qvxFileVersion::StrComments, u"", false},
        {"full64.dll", &qvxFileVersion::StrPrivateBuild, u"", true},  // present, but empty
        {"otherlang.dll", &qvxFileVersion::StrCompanyName, u"", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.image);
        qvxFileVersion v;
        ASSERT_TRUE(v.ReadFile(Image(row.image)));
        bool exists = !row.exists;
        EXPECT_EQ((v.*row.property)(&exists), row.text);
        EXPECT_EQ(exists, row.exists);
    }
}

TEST(qvxFileVersion, AFailedReadLeavesTheObjectCleared)
{
    const auto dir = std::filesystem::temp_directory_path();
    const char* failures[] = {"notranslation.dll", "no such file.dll", ""};
    for (const char* name : failures) {
        SCOPED_TRACE(name);
        qvxFileVersion v;
        ASSERT_TRUE(v.ReadFile(Image("full64.dll")));
        EXPECT_FALSE(v.ReadFile(*name ? Image(name) : FromUtf8(dir.string())));
        EXPECT_EQ(v.FileName(), u"");
        EXPECT_TRUE(v.InfoBuffer().empty());
        EXPECT_EQ(v.Signature(), 0u);
        EXPECT_EQ(v.ProductVerRevisionMinor(), 0);
        EXPECT_FALSE(v.FileFlagDebug());
        EXPECT_EQ(v.TranslationLanguageID(), 0);
        bool exists = true;
        EXPECT_EQ(v.StrCompanyName(&exists), u"");
        EXPECT_FALSE(exists);
    }
}

}  // namespace
